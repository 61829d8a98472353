#pragma once
// A file that only grows: opened once, written at its end, flushed when what was added must be
// on disk. Like every file of the program folder it is never reached through a link, and only a
// plain file is taken. Writes and flushes pass the file-call gate (platform/file_calls.h).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace zep {

class AppendFile {
public:
    // Opens an existing plain file for appending; nullopt when it is missing, a link, a folder
    // or anything else that is not a plain file, or cannot be written (read-only).
    static std::optional<AppendFile> Open(const std::filesystem::path& path);

    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile();

    // Adds the bytes at the end. False when not all of them may have been written (a full
    // disk): the end of the file may then hold a part of them.
    bool Append(std::span<const std::uint8_t> bytes);
    // Flushes what was appended to disk. False when it may not be there.
    bool Flush();

private:
    static constexpr std::intptr_t kNoHandle = -1;  // no file descriptor or handle is -1
    AppendFile(std::intptr_t handle, std::filesystem::path path);
    static void ReleaseHandle(std::intptr_t handle);

    std::intptr_t m_handle;
    std::filesystem::path m_path;  // for the file-call gate
};

}  // namespace zep
