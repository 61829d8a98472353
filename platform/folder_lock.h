#pragma once
// One running program per program folder: two would convert the same raw files twice. The lock
// is the operating system's, held for the life of the process and dropped by the system when
// the process ends in any way, so a crashed instance never leaves a stale lock behind.
#include <filesystem>

namespace zep {

class FolderLock {
public:
    enum class State {
        Held,        // this process holds the folder
        InUse,       // another process holds it
        Unavailable  // the folder cannot be opened or locked (missing, a file system without locks)
    };

    // Takes the lock on the folder without waiting.
    static FolderLock Acquire(const std::filesystem::path& folder);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    State GetState() const { return m_state; }

private:
    FolderLock(int handle, State state) : m_handle(handle), m_state(state) {}
    void Release();

    int m_handle = -1;
    State m_state = State::Unavailable;
};

}  // namespace zep
