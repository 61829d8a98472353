#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/posix/file_mode.h"
#include "platform/publish_file.h"
#include "platform/time_base.h"

namespace zep {

namespace fs = std::filesystem;

std::optional<PendingFile> PendingFile::Create(const fs::path& folder) {
    std::string pattern = (folder / ".zepimport-XXXXXX.tmp").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    // mkostemps gives rw-------; the published file gets what the user's umask allows.
    fchmod(fd, posix::DefaultFileMode());
    return PendingFile(fd, fs::path(name.data()));
}

PendingFile::PendingFile(int fd, fs::path tempPath) : m_fd(fd), m_tempPath(std::move(tempPath)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : m_fd(other.m_fd),
      m_tempPath(std::move(other.m_tempPath)),
      m_flushed(other.m_flushed),
      m_published(other.m_published) {
    other.m_fd = -1;
    other.m_tempPath.clear();
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
    if (this != &other) {
        Discard();
        m_fd = other.m_fd;
        m_tempPath = std::move(other.m_tempPath);
        m_flushed = other.m_flushed;
        m_published = other.m_published;
        other.m_fd = -1;
        other.m_tempPath.clear();
    }
    return *this;
}

PendingFile::~PendingFile() {
    Discard();
}

void PendingFile::Discard() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

std::size_t PendingFile::Write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t PendingFile::Write(std::string_view text) {
    return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool PendingFile::Finish() {
    if (m_fd < 0) {
        return !m_tempPath.empty();
    }
    const int fd = m_fd;
    m_fd = -1;
    return close(fd) == 0;
}

namespace {

int FlushPath(const fs::path& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int result = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return result;
}

}  // namespace

bool FlushFileSystem(const fs::path& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = syncfs(fd) == 0;
    close(fd);
    return ok;
}

PublishResult PendingFile::Publish(const fs::path& finalPath) {
    if (m_tempPath.empty() || m_published) {
        return PublishResult::Failed;
    }
    if (!m_flushed) {
        // A finished file has given up its descriptor; a fresh one flushes the same data.
        const int error =
            m_fd >= 0 ? (fsync(m_fd) == 0 ? 0 : errno) : FlushPath(m_tempPath, O_RDONLY);
        if (error != 0) {
            return PublishResult::Failed;
        }
        m_flushed = true;
    }
    if (link(m_tempPath.c_str(), finalPath.c_str()) != 0) {
        return errno == EEXIST ? PublishResult::NameTaken : PublishResult::Failed;
    }
    m_published = true;
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    unlink(m_tempPath.c_str());
    m_tempPath.clear();
    return PublishResult::Published;
}

PublishResult PendingFile::Replace(const fs::path& finalPath) {
    if (m_fd < 0 || m_published) {
        return PublishResult::Failed;
    }
    if (!m_flushed) {
        if (fsync(m_fd) != 0) {
            return PublishResult::Failed;
        }
        m_flushed = true;
    }
    if (rename(m_tempPath.c_str(), finalPath.c_str()) != 0) {
        return PublishResult::Failed;
    }
    m_published = true;
    close(m_fd);
    m_fd = -1;
    m_tempPath.clear();
    return PublishResult::Published;
}

std::optional<fs::path> PublishNumbered(PendingFile& file,
                                        const std::function<fs::path(int)>& nameFor,
                                        int maxAttempts) {
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        switch (file.Publish(name)) {
            case PublishResult::Published:
                return name;
            case PublishResult::NameTaken:
                continue;
            case PublishResult::Failed:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

namespace {

// Copies a file's content into a pending file in the target folder.
std::optional<PendingFile> CopyToPending(const fs::path& source, const fs::path& folder) {
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return std::nullopt;
    }
    auto pending = PendingFile::Create(folder);
    std::vector<std::uint8_t> buffer(1 << 16);
    bool ok = pending.has_value();
    while (ok) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = pending->Write(std::span(buffer.data(), static_cast<std::size_t>(n))) ==
             static_cast<std::size_t>(n);
    }
    close(in);
    if (!ok) {
        return std::nullopt;
    }
    return pending;
}

}  // namespace

std::optional<fs::path> MoveNumbered(const fs::path& source,
                                     const std::function<fs::path(int)>& nameFor, int maxAttempts) {
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        if (link(source.c_str(), name.c_str()) == 0) {
            unlink(source.c_str());
            return name;
        }
        if (errno == EEXIST) {
            continue;
        }
        if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != ENOTSUP) {
            return std::nullopt;
        }
        // Another file system (or one without hard links): copy, publish, then remove.
        auto pending = CopyToPending(source, name.parent_path());
        if (!pending) {
            return std::nullopt;
        }
        auto published = PublishNumbered(*pending, nameFor, maxAttempts);
        if (published) {
            unlink(source.c_str());
        }
        return published;
    }
    return std::nullopt;
}

}  // namespace zep
