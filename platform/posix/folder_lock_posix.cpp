// The program folder's lock: flock on the folder itself, so no lock file can be left behind;
// the descriptor is closed on exec, so programs started from here do not inherit it.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/folder_lock.h"

namespace zep {

FolderLock FolderLock::Acquire(const std::filesystem::path& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return FolderLock(-1, State::Unavailable);
    }
    int result = 0;
    do {
        result = flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const State state = errno == EWOULDBLOCK ? State::InUse : State::Unavailable;
        close(fd);
        return FolderLock(-1, state);
    }
    return FolderLock(fd, State::Held);
}

void FolderLock::Release() {
    if (m_handle >= 0) {
        close(m_handle);
        m_handle = -1;
    }
}

}  // namespace zep
