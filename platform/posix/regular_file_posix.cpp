// Plain files of the program folder, opened with O_NOFOLLOW | O_NONBLOCK and judged by fstat
// on the opened descriptor; moving one checks that every name it touches is still that file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/file_calls.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

int OpenWithoutFollowing(const fs::path& path) {
    return open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

FileProbe ProbeOf(const struct stat& status) {
    FileProbe probe;
    if (S_ISREG(status.st_mode)) {
        probe.kind = FileKind::Regular;
    } else {
        probe.kind = S_ISDIR(status.st_mode) ? FileKind::Folder : FileKind::Other;
        return probe;
    }
    probe.device = static_cast<std::uint64_t>(status.st_dev);
    probe.inode = static_cast<std::uint64_t>(status.st_ino);
    probe.size = static_cast<std::uint64_t>(status.st_size);
    probe.modifiedNs =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return probe;
}

// The name still leads to the file of the descriptor, itself and not through a link.
bool NameIsFile(const fs::path& path, const struct stat& file) {
    struct stat named {};
    return lstat(path.c_str(), &named) == 0 && named.st_dev == file.st_dev &&
           named.st_ino == file.st_ino;
}

// Done when the name no longer leads to the file: removed here, or given to another file.
SystemDone RemoveIfStillFile(const fs::path& path, const struct stat& file) {
    return NameIsFile(path, file) ? RemoveFile(path) : SystemDone();
}

SystemResult<PendingFile> CopyDescriptor(int in, const fs::path& folder) {
    auto pending = PendingFile::Create(folder);
    if (!pending) {
        return pending;
    }
    std::vector<std::uint8_t> buffer(1 << 16);
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return ErrnoError(errno);
        }
        if (n == 0) {
            return pending;
        }
        const auto count = static_cast<std::size_t>(n);
        if (pending->Write(std::span(buffer.data(), count)) != count) {
            return pending->Failure();
        }
    }
}

}  // namespace

std::optional<OpenedRegularFile> OpenedRegularFile::Open(const fs::path& path) {
    const int fd = OpenWithoutFollowing(path);
    struct stat status {};
    if (fd < 0) {
        return std::nullopt;
    }
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    return OpenedRegularFile(fd, static_cast<std::uint64_t>(status.st_size), path);
}

std::optional<OpenedRegularFile> OpenedRegularFile::OpenFollowingLinks(const fs::path& path,
                                                                       FileKind& found) {
    struct stat named {};
    if (stat(path.c_str(), &named) != 0) {
        found = errno == ENOENT || errno == ENOTDIR ? FileKind::Missing
                : errno == ELOOP                    ? FileKind::Other
                                                    : FileKind::Regular;
        return std::nullopt;
    }
    found = ProbeOf(named).kind;
    if (found != FileKind::Regular) {
        return std::nullopt;
    }
    // Without O_NONBLOCK a FIFO put in the file's place after the look would block the open.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != named.st_dev ||
        opened.st_ino != named.st_ino) {
        close(fd);
        found = FileKind::Other;
        return std::nullopt;
    }
    return OpenedRegularFile(fd, static_cast<std::uint64_t>(opened.st_size), path);
}

void OpenedRegularFile::ReleaseHandle(std::intptr_t handle) {
    close(static_cast<int>(handle));
}

std::optional<std::size_t> OpenedRegularFile::ReadAt(std::uint64_t offset,
                                                     std::span<std::uint8_t> into) const {
    std::size_t done = 0;
    while (done < into.size()) {
        if (!FileCallAllowed(FileCall::Read, m_path)) {
            return std::nullopt;
        }
        const ssize_t n = pread(static_cast<int>(m_handle), into.data() + done, into.size() - done,
                                static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

FileProbe ProbeFile(const fs::path& path) {
    const Descriptor fd(OpenWithoutFollowing(path));
    if (fd.Get() < 0) {
        // ELOOP: the name is a link; ENXIO: a socket. Whatever exists but cannot be opened
        // plainly is no raw file.
        return FileProbe{errno == ENOENT ? FileKind::Missing : FileKind::Other};
    }
    struct stat status {};
    if (fstat(fd.Get(), &status) != 0) {
        return FileProbe{FileKind::Other};
    }
    return ProbeOf(status);
}

SystemResult<fs::path> MoveRegularFileNumbered(const fs::path& source,
                                               const std::function<fs::path(int)>& nameFor,
                                               const std::function<void(const fs::path&)>& onDisk,
                                               int maxAttempts) {
    const Descriptor fd(OpenWithoutFollowing(source));
    struct stat file {};
    if (fd.Get() < 0 || fstat(fd.Get(), &file) != 0) {
        return ErrnoError(errno);
    }
    if (!S_ISREG(file.st_mode)) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        if (!FileCallAllowed(FileCall::Link, name)) {
            return std::nullopt;
        }
        if (link(source.c_str(), name.c_str()) == 0) {
            // The new name must be on disk before the old one goes, or a power cut could leave
            // neither; and the source name may have been given to another file after it was
            // opened.
            if (!NameIsFile(name, file)) {
                unlink(name.c_str());
                return std::nullopt;
            }
            if (const auto flushed = FlushFolder(name.parent_path()); !flushed) {
                unlink(name.c_str());
                return flushed.Error();
            }
            if (onDisk) {
                onDisk(name);
            }
            RemoveIfStillFile(source, file);
            return name;
        }
        if (errno == EEXIST) {
            continue;
        }
        if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != ENOTSUP) {
            return ErrnoError(errno);
        }
        // Another file system (or one without hard links): the opened file itself is copied.
        auto pending = CopyDescriptor(fd.Get(), name.parent_path());
        if (!pending) {
            return pending.Error();
        }
        return HandOverCopy(
            *pending, nameFor, onDisk, [&] { return RemoveIfStillFile(source, file); },
            maxAttempts);
    }
    return std::nullopt;
}

}  // namespace zep
