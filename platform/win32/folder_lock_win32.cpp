// The program folder's lock: a lock file in the folder held open without sharing and deleted
// when it is closed, which the system does when the process ends in any way.
#include <fcntl.h>
#include <io.h>

#include "platform/folder_lock.h"
#include "platform/win32/windows_api.h"

namespace zep {

FolderLock FolderLock::Acquire(const std::filesystem::path& folder) {
    const HANDLE file =
        CreateFileW((folder / L"zepimport.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return FolderLock(-1, error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED
                                  ? State::InUse
                                  : State::Unavailable);
    }
    // The runtime's descriptor owns the handle from here on.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_NOINHERIT);
    if (fd < 0) {
        CloseHandle(file);
        return FolderLock(-1, State::Unavailable);
    }
    return FolderLock(fd, State::Held);
}

void FolderLock::Release() {
    if (m_handle >= 0) {
        _close(m_handle);
        m_handle = -1;
    }
}

}  // namespace zep
