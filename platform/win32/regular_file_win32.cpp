// What a name is, asked of the opened file: a reparse point (link, junction) is not followed,
// and a plain file is told from the rest by its attributes.
#include <algorithm>

#include "platform/file_calls.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

// The size of an opened file that is a plain file on a disk: not a folder, a pipe, a device, or
// a link opened as itself.
std::optional<std::uint64_t> PlainFileSize(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) == 0 || GetFileType(file) != FILE_TYPE_DISK ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

}  // namespace

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

std::optional<OpenedRegularFile> OpenedRegularFile::Open(const std::filesystem::path& path) {
    // Others may go on reading, writing or deleting: the card import deletes a database it
    // has read while this handle may still be open elsewhere.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const auto size = PlainFileSize(file);
    if (!size) {
        CloseHandle(file);
        return std::nullopt;
    }
    return OpenedRegularFile(reinterpret_cast<std::intptr_t>(file), *size, path);
}

// A reparse point is followed here (CreateFileW without FILE_FLAG_OPEN_REPARSE_POINT); what it
// leads to must still be a plain file on a disk, not a folder, pipe or device.
std::optional<OpenedRegularFile> OpenedRegularFile::OpenFollowingLinks(
    const std::filesystem::path& path, FileKind& found) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        found = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileKind::Missing
                                                                               : FileKind::Other;
        return std::nullopt;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        found = FileKind::Folder;
        return std::nullopt;
    }
    found = FileKind::Regular;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const auto size = PlainFileSize(file);
    if (!size) {
        CloseHandle(file);
        found = FileKind::Other;
        return std::nullopt;
    }
    return OpenedRegularFile(reinterpret_cast<std::intptr_t>(file), *size, path);
}

void OpenedRegularFile::ReleaseHandle(std::intptr_t handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

std::optional<std::size_t> OpenedRegularFile::ReadAt(std::uint64_t offset,
                                                     std::span<std::uint8_t> into) const {
    std::size_t done = 0;
    while (done < into.size()) {
        if (!FileCallAllowed(FileCall::Read, m_path)) {
            return std::nullopt;
        }
        const std::uint64_t at = offset + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(into.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), into.data() + done, want, &got, &where)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

SystemResult<std::filesystem::path> MoveRegularFileNumbered(
    const std::filesystem::path& source,
    const std::function<std::filesystem::path(int attempt)>& nameFor,
    const std::function<void(const std::filesystem::path&)>& onDisk, int maxAttempts) {
    // A rename moves the entry itself, a link included; so only a plain file is handed on.
    if (ProbeFile(source).kind != FileKind::Regular) {
        return std::nullopt;
    }
    return MoveNumbered(source, nameFor, onDisk, maxAttempts);
}

}  // namespace zep
