// What a name is, asked of the opened file: a reparse point (link, junction) is not followed,
// and a plain file is told from the rest by its attributes.
#include "platform/publish_file.h"
#include "platform/regular_file.h"
#include "platform/win32/windows_api.h"

namespace zep {

FileProbe ProbeFile(const std::filesystem::path& path) {
    FileProbe probe;
    const HANDLE file = CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return probe;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    if (!known) {
        probe.kind = FileKind::Other;
        return probe;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || type != FILE_TYPE_DISK) {
        probe.kind = FileKind::Other;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        probe.kind = FileKind::Folder;
    } else {
        probe.kind = FileKind::Regular;
        probe.device = info.dwVolumeSerialNumber;
        probe.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        probe.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        probe.modifiedNs =
            static_cast<std::int64_t>(
                (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                info.ftLastWriteTime.dwLowDateTime) *
            100;
    }
    return probe;
}

std::optional<std::filesystem::path> MoveRegularFileNumbered(
    const std::filesystem::path& source,
    const std::function<std::filesystem::path(int attempt)>& nameFor, int maxAttempts) {
    // A rename moves the entry itself, a link included; so only a plain file is handed on.
    if (ProbeFile(source).kind != FileKind::Regular) {
        return std::nullopt;
    }
    return MoveNumbered(source, nameFor, maxAttempts);
}

}  // namespace zep
