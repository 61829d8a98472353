// Publishing on POSIX: an exclusive open under a random name for the temporary, fsync or syncfs
// for the flushes, a rename that never replaces (or link()) for a publication, rename() for a
// replacement.
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/file_calls.h"
#include "platform/publish_batch.h"
#include "platform/publish_file.h"
#include "platform/publish_move.h"
#include "platform/temporary_names.h"

namespace zep {

namespace fs = std::filesystem;

// The descriptor while the file is written (-1 once finished), the temporary name while it is
// not published: a plain string, a tenth of what a path object holds, as a card's batch keeps
// thousands of them.
struct PendingFile::State {
    int fd = -1;
    std::string tempPath;
    bool flushed = false;
    bool published = false;

    ~State() {
        CloseDescriptor();
        if (!tempPath.empty()) {
            unlink(tempPath.c_str());
        }
    }
    bool CloseDescriptor() {
        if (fd < 0) {
            return true;
        }
        const int closing = fd;
        fd = -1;
        return close(closing) == 0;
    }
};

namespace {

// A call a test's gate refuses fails as a failing disk would fail it.
bool Gate(FileCall call, const fs::path& path) {
    if (FileCallAllowed(call, path)) {
        return true;
    }
    errno = EIO;
    return false;
}

int FlushPath(const fs::path& path, int flags) {
    if (!Gate(FileCall::Flush, path)) {
        return errno;
    }
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int result = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return result;
}

// Flushes the content once; a finished file has given up its descriptor, and a fresh one
// flushes the same data.
bool FlushContent(int fd, const std::string& tempPath, bool& flushed) {
    if (!flushed) {
        const int error = fd < 0                             ? FlushPath(tempPath, O_RDONLY)
                          : !Gate(FileCall::Flush, tempPath) ? errno
                          : fsync(fd) == 0                   ? 0
                                                             : errno;
        flushed = error == 0;
    }
    return flushed;
}

// A new temporary of the program's pattern with a random part, taken again while the name
// exists. Created rw-rw-rw- less the umask, as any file the user's programs create, with no
// second call to set the permissions (a card import creates thousands of files).
int CreateTemporary(const fs::path& folder, std::string& path) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    const std::string prefix = TemporaryNamePrefix();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string unique(6, 'X');
        for (char& letter : unique) {
            letter = kLetters[random() % (sizeof kLetters - 1)];
        }
        path = (folder / (prefix + unique + kTemporaryNameEnd)).string();
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

std::optional<PendingFile> PendingFile::Create(const fs::path& folder) {
    if (!Gate(FileCall::Create, folder)) {
        return std::nullopt;
    }
    std::string path;
    const int fd = CreateTemporary(folder, path);
    if (fd < 0) {
        return std::nullopt;
    }
    auto state = std::make_unique<State>();
    state->fd = fd;
    state->tempPath = std::move(path);
    return PendingFile(std::move(state));
}

PendingFile::PendingFile(std::unique_ptr<State> state) : m_state(std::move(state)) {}
PendingFile::PendingFile(PendingFile&& other) noexcept = default;
PendingFile& PendingFile::operator=(PendingFile&& other) noexcept = default;
PendingFile::~PendingFile() = default;

fs::path PendingFile::TemporaryPath() const {
    return m_state ? fs::path(m_state->tempPath) : fs::path();
}

std::size_t PendingFile::Write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (m_state && m_state->fd >= 0 && done < bytes.size()) {
        const ssize_t n = Gate(FileCall::Write, m_state->tempPath)
                              ? write(m_state->fd, bytes.data() + done, bytes.size() - done)
                              : -1;
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

std::size_t PendingFile::Write(std::span<const std::span<const std::uint8_t>> pieces) {
    std::size_t done = 0;
    std::size_t next = 0;    // the first piece not yet written in full
    std::size_t offset = 0;  // bytes of that piece already written
    std::vector<iovec> vectors;
    while (m_state && m_state->fd >= 0 && next < pieces.size()) {
        vectors.clear();
        for (std::size_t k = next; k < pieces.size() && vectors.size() < IOV_MAX; ++k) {
            const std::size_t skip = k == next ? offset : 0;
            vectors.push_back(
                {const_cast<std::uint8_t*>(pieces[k].data()) + skip, pieces[k].size() - skip});
        }
        const ssize_t n =
            Gate(FileCall::Write, m_state->tempPath)
                ? writev(m_state->fd, vectors.data(), static_cast<int>(vectors.size()))
                : -1;
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
        // Steps over what was written, whole pieces first.
        std::size_t left = static_cast<std::size_t>(n);
        while (next < pieces.size() && left >= pieces[next].size() - offset) {
            left -= pieces[next].size() - offset;
            offset = 0;
            ++next;
        }
        offset += left;
    }
    return done;
}

bool PendingFile::Finish() {
    return m_state && !m_state->tempPath.empty() && m_state->CloseDescriptor();
}

bool FlushFileSystem(const fs::path& folder) {
    if (!Gate(FileCall::Flush, folder)) {
        return false;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = syncfs(fd) == 0;
    close(fd);
    return ok;
}

bool FlushFolder(const fs::path& folder) {
    return FlushPath(folder, O_RDONLY | O_DIRECTORY) == 0;
}

bool PublishBatch::FlushContents() {
    // The files are closed already; one flush of their file system stores them all, where a
    // flush per file would wait for the disk once per file.
    if (m_files.empty() || !FlushFileSystem(m_folder)) {
        return m_files.empty();
    }
    for (auto& file : m_files) {
        if (file.m_state) {
            file.m_state->flushed = true;
        }
    }
    return true;
}

PublishResult PendingFile::Publish(const fs::path& finalPath) {
    if (!m_state || m_state->tempPath.empty() || m_state->published) {
        return PublishResult::Failed;
    }
    State& state = *m_state;
    if (!FlushContent(state.fd, state.tempPath, state.flushed)) {
        return PublishResult::Failed;
    }
    // A rename that never replaces moves the name in one step; file systems without it take a
    // hard link and the removal of the temporary name, which never replaces either.
    if (!Gate(FileCall::Link, finalPath)) {
        return PublishResult::Failed;
    }
    if (renameat2(AT_FDCWD, state.tempPath.c_str(), AT_FDCWD, finalPath.c_str(),
                  RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) {
            return PublishResult::NameTaken;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            return PublishResult::Failed;
        }
        if (link(state.tempPath.c_str(), finalPath.c_str()) != 0) {
            return errno == EEXIST ? PublishResult::NameTaken : PublishResult::Failed;
        }
        unlink(state.tempPath.c_str());
    }
    state.published = true;
    state.CloseDescriptor();
    state.tempPath.clear();
    return PublishResult::Published;
}

PublishResult PendingFile::Replace(const fs::path& finalPath) {
    if (!m_state || m_state->tempPath.empty() || m_state->published) {
        return PublishResult::Failed;
    }
    State& state = *m_state;
    if (!FlushContent(state.fd, state.tempPath, state.flushed)) {
        return PublishResult::Failed;
    }
    if (!Gate(FileCall::Link, finalPath) ||
        rename(state.tempPath.c_str(), finalPath.c_str()) != 0) {
        return PublishResult::Failed;
    }
    state.published = true;
    state.CloseDescriptor();
    state.tempPath.clear();
    return PublishResult::Published;
}

bool RemoveFile(const fs::path& path) {
    return Gate(FileCall::Remove, path) && unlink(path.c_str()) == 0;
}

MoveOutcome MoveInOneStep(const fs::path& source, const fs::path& name) {
    if (link(source.c_str(), name.c_str()) == 0) {
        // The new name goes to disk before the old one goes, or a power cut could leave neither;
        // a source that stays would be moved, and so handed on, a second time.
        if (!FlushFolder(name.parent_path()) || !RemoveFile(source)) {
            unlink(name.c_str());
            return MoveOutcome::Failed;
        }
        return MoveOutcome::Moved;
    }
    if (errno == EEXIST) {
        return MoveOutcome::NameTaken;
    }
    // Another file system, or one without hard links.
    return errno == EXDEV || errno == EPERM || errno == EMLINK || errno == ENOTSUP
               ? MoveOutcome::OtherVolume
               : MoveOutcome::Failed;
}

}  // namespace zep
