// Bytes patched in place with pwrite and flushed with fsync.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_patch.h"

namespace zep {

namespace {

// 0, or the errno of the write that failed.
int WriteByteAt(int fd, std::uint8_t value, std::uint64_t offset) {
    for (;;) {
        const ssize_t n = pwrite(fd, &value, 1, static_cast<off_t>(offset));
        if (n == 1) {
            return 0;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n < 0 ? errno : EIO;
    }
}

int WriteBytes(int fd, std::span<const BytePatch> patches) {
    for (const BytePatch& patch : patches) {
        if (const int error = WriteByteAt(fd, patch.value, patch.offset); error != 0) {
            return error;
        }
    }
    return fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

SystemDone PatchFileBytes(const std::filesystem::path& file, std::span<const BytePatch> patches) {
    const int fd = open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return ErrnoError(errno);
    }
    int error = WriteBytes(fd, patches);
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error == 0 ? SystemDone() : SystemDone(ErrnoError(error));
}

}  // namespace zep
