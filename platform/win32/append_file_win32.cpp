// Appending on Windows: a handle with append access only, opened without following a reparse
// point and judged by its attributes, flushed with FlushFileBuffers.
#include <algorithm>

#include "platform/append_file.h"
#include "platform/file_calls.h"
#include "platform/win32/windows_api.h"

namespace zep {

std::optional<AppendFile> AppendFile::Open(const std::filesystem::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool plain =
        GetFileInformationByHandle(file, &info) != 0 && GetFileType(file) == FILE_TYPE_DISK &&
        (info.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
    if (!plain) {
        CloseHandle(file);
        return std::nullopt;
    }
    return AppendFile(reinterpret_cast<std::intptr_t>(file), path);
}

void AppendFile::ReleaseHandle(std::intptr_t handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

bool AppendFile::Append(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (m_handle != kNoHandle && done < bytes.size()) {
        if (!FileCallAllowed(FileCall::Write, m_path)) {
            return false;
        }
        const DWORD piece =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(m_handle), bytes.data() + done, piece, &written,
                       nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    return done == bytes.size();
}

bool AppendFile::Flush() {
    return m_handle != kNoHandle && FileCallAllowed(FileCall::Flush, m_path) &&
           FlushFileBuffers(reinterpret_cast<HANDLE>(m_handle)) != 0;
}

}  // namespace zep
