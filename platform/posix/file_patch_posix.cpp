// Bytes patched in place with pwrite and flushed with fsync.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_patch.h"

namespace zep {

namespace {

bool WriteByteAt(int fd, std::uint8_t value, std::uint64_t offset) {
    for (;;) {
        const ssize_t n = pwrite(fd, &value, 1, static_cast<off_t>(offset));
        if (n == 1) {
            return true;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return false;
    }
}

}  // namespace

bool PatchFileBytes(const std::filesystem::path& file, std::span<const BytePatch> patches) {
    const int fd = open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    for (const BytePatch& patch : patches) {
        if (!WriteByteAt(fd, patch.value, patch.offset)) {
            ok = false;
            break;
        }
    }
    ok = ok && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

}  // namespace zep
