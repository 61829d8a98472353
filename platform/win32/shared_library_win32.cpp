// Driver libraries through LoadLibrary and GetProcAddress, and VirtualQuery for what an export
// points at. A file that is not a loadable DLL for this process (another architecture, not a
// DLL at all) fails quietly, without the system's error box.
#include "platform/shared_library.h"
#include "platform/win32/windows_api.h"

namespace zep {

std::optional<SharedLibrary> SharedLibrary::Open(const std::filesystem::path& path) {
    DWORD previous = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    // The DLLs a driver depends on are looked for beside it first.
    HMODULE handle = LoadLibraryExW(std::filesystem::absolute(path).c_str(), nullptr,
                                    LOAD_WITH_ALTERED_SEARCH_PATH);
    SetThreadErrorMode(previous, nullptr);
    if (handle == nullptr) {
        return std::nullopt;
    }
    return SharedLibrary(reinterpret_cast<void*>(handle));
}

void SharedLibrary::Close() {
    if (m_handle != nullptr) {
        FreeLibrary(static_cast<HMODULE>(m_handle));
        m_handle = nullptr;
    }
}

void* SharedLibrary::Find(const char* name) const {
    if (m_handle == nullptr || name == nullptr || *name == '\0') {
        return nullptr;
    }
    // GetProcAddress looks in the library's own export table only: a function the library
    // merely imports (from the C runtime, say) is not found.
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

bool SharedLibrary::HoldsCodeAt(const void* address) const {
    MEMORY_BASIC_INFORMATION info{};
    if (m_handle == nullptr || VirtualQuery(address, &info, sizeof info) != sizeof info ||
        info.AllocationBase != m_handle || info.State != MEM_COMMIT) {
        return false;
    }
    constexpr DWORD kExecutable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (info.Protect & kExecutable) != 0;
}

std::string_view SharedLibrarySuffix() {
    return ".dll";
}

}  // namespace zep
