// Appending on POSIX: O_APPEND | O_NOFOLLOW | O_NONBLOCK, judged by fstat on the opened
// descriptor, flushed with fdatasync.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/append_file.h"
#include "platform/file_calls.h"

namespace zep {

std::optional<AppendFile> AppendFile::Open(const std::filesystem::path& path) {
    const int fd =
        open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    return AppendFile(fd, path);
}

void AppendFile::ReleaseHandle(std::intptr_t handle) {
    close(static_cast<int>(handle));
}

bool AppendFile::Append(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (m_handle != kNoHandle && done < bytes.size()) {
        if (!FileCallAllowed(FileCall::Write, m_path)) {
            return false;
        }
        const ssize_t n =
            write(static_cast<int>(m_handle), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return done == bytes.size();
}

bool AppendFile::Flush() {
    return m_handle != kNoHandle && FileCallAllowed(FileCall::Flush, m_path) &&
           fdatasync(static_cast<int>(m_handle)) == 0;
}

}  // namespace zep
