#pragma once
// Loading of driver libraries. A library is loaded with all its symbols bound at once and
// without lending them to later libraries, and an export is looked up in that library only,
// never in what it depends on, so a driver cannot hand over a function of the C runtime as one
// of its entry points by accident.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zep {

class SharedLibrary {
public:
    // nullopt when the file cannot be loaded as a library.
    static std::optional<SharedLibrary> Open(const std::filesystem::path& path);

    // No library.
    SharedLibrary() = default;

    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

    // Address of the export of that name defined by this library itself, or nullptr.
    void* Find(const char* name) const;
    // True when the address lies in a part of the library loaded as code (executable), so that
    // an export that names a data object is not taken for a function.
    bool HoldsCodeAt(const void* address) const;
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

private:
    explicit SharedLibrary(void* handle) : m_handle(handle) {}
    void* m_handle = nullptr;
};

// The file name ending of loadable libraries on this platform (".so"; ".dll" on Windows).
std::string_view SharedLibrarySuffix();

// True when the name's text from its last "." on equals the suffix, ignoring letter case.
bool HasSharedLibrarySuffix(std::string_view fileName);

}  // namespace zep
