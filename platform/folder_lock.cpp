// The folder lock's ownership, handed on by moving and given up at the end; taking and dropping
// the lock itself are the backend's.
#include "platform/folder_lock.h"

namespace zep {

FolderLock::FolderLock(FolderLock&& other) noexcept
    : m_handle(other.m_handle), m_state(other.m_state) {
    other.m_handle = -1;
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_handle = other.m_handle;
        m_state = other.m_state;
        other.m_handle = -1;
    }
    return *this;
}

FolderLock::~FolderLock() {
    Release();
}

}  // namespace zep
