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
    SystemError failure;  // of the last call that fell short

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
        return close(closing) == 0 || Failed(errno);
    }
    // Keeps the reason; always false, for the failing call to return.
    bool Failed(int error) {
        failure = ErrnoError(error);
        return false;
    }
    bool FlushContent();
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

SystemDone DoneOrErrno(int error) {
    return error == 0 ? SystemDone() : SystemDone(ErrnoError(error));
}

}  // namespace

// Flushes the content once; a finished file has given up its descriptor, and a fresh one
// flushes the same data.
bool PendingFile::State::FlushContent() {
    if (!flushed) {
        const int error = fd < 0                             ? FlushPath(tempPath, O_RDONLY)
                          : !Gate(FileCall::Flush, tempPath) ? errno
                          : fsync(fd) == 0                   ? 0
                                                             : errno;
        flushed = error == 0 || Failed(error);
    }
    return flushed;
}

namespace {

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

SystemResult<PendingFile> PendingFile::Create(const fs::path& folder) {
    if (!Gate(FileCall::Create, folder)) {
        return ErrnoError(errno);
    }
    std::string path;
    const int fd = CreateTemporary(folder, path);
    if (fd < 0) {
        return ErrnoError(errno);
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

SystemError PendingFile::Failure() const {
    return m_state ? m_state->failure : SystemError{};
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
            m_state->Failed(errno);
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
        if (n < 0) {
            m_state->Failed(errno);
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

SystemDone FlushFileSystem(const fs::path& folder) {
    if (!Gate(FileCall::Flush, folder)) {
        return ErrnoError(errno);
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return ErrnoError(errno);
    }
    const int error = syncfs(fd) == 0 ? 0 : errno;
    close(fd);
    return DoneOrErrno(error);
}

SystemDone FlushFolder(const fs::path& folder) {
    return DoneOrErrno(FlushPath(folder, O_RDONLY | O_DIRECTORY));
}

bool PublishBatch::FlushContents() {
    // The files are closed already; one flush of their file system stores them all, where a
    // flush per file would wait for the disk once per file.
    if (m_files.empty() || !static_cast<bool>(FlushFileSystem(m_folder))) {
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
    if (!state.FlushContent()) {
        return PublishResult::Failed;
    }
    // A rename that never replaces moves the name in one step; file systems without it take a
    // hard link and the removal of the temporary name, which never replaces either.
    if (!Gate(FileCall::Link, finalPath)) {
        state.Failed(errno);
        return PublishResult::Failed;
    }
    if (renameat2(AT_FDCWD, state.tempPath.c_str(), AT_FDCWD, finalPath.c_str(),
                  RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) {
            return PublishResult::NameTaken;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            state.Failed(errno);
            return PublishResult::Failed;
        }
        if (link(state.tempPath.c_str(), finalPath.c_str()) != 0) {
            if (errno == EEXIST) {
                return PublishResult::NameTaken;
            }
            state.Failed(errno);
            return PublishResult::Failed;
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
    if (!state.FlushContent()) {
        return PublishResult::Failed;
    }
    if (!Gate(FileCall::Link, finalPath) ||
        rename(state.tempPath.c_str(), finalPath.c_str()) != 0) {
        state.Failed(errno);
        return PublishResult::Failed;
    }
    state.published = true;
    state.CloseDescriptor();
    state.tempPath.clear();
    return PublishResult::Published;
}

SystemDone RemoveFile(const fs::path& path) {
    if (!Gate(FileCall::Remove, path) || unlink(path.c_str()) != 0) {
        return ErrnoError(errno);
    }
    return {};
}

MoveStep MoveInOneStep(const fs::path& source, const fs::path& name) {
    if (link(source.c_str(), name.c_str()) == 0) {
        // The new name goes to disk before the old one goes, or a power cut could leave neither;
        // a source that stays would be moved, and so handed on, a second time.
        SystemDone removed = FlushFolder(name.parent_path());
        if (removed) {
            removed = RemoveFile(source);
        }
        if (!removed) {
            unlink(name.c_str());
            return {MoveOutcome::Failed, removed.Error()};
        }
        return {MoveOutcome::Moved, {}};
    }
    if (errno == EEXIST) {
        return {MoveOutcome::NameTaken, {}};
    }
    // Another file system, or one without hard links.
    if (errno == EXDEV || errno == EPERM || errno == EMLINK || errno == ENOTSUP) {
        return {MoveOutcome::OtherVolume, {}};
    }
    return {MoveOutcome::Failed, ErrnoError(errno)};
}

}  // namespace zep
