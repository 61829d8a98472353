#pragma once
// At most one exchange or card import runs at a time. A worker takes the lock with an
// unlimited wait as its first step and releases it as its last; the poll only tests it.
#include <condition_variable>
#include <mutex>

namespace zep {

class WorkerLock {
public:
    void Acquire();
    bool TryAcquire();
    void Release();
    bool IsHeld() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
};

// Holds the lock for one worker run and releases it on every path out of the worker.
class WorkerLockHold {
public:
    explicit WorkerLockHold(WorkerLock& lock) : m_lock(lock) { m_lock.Acquire(); }
    ~WorkerLockHold() { m_lock.Release(); }
    WorkerLockHold(const WorkerLockHold&) = delete;
    WorkerLockHold& operator=(const WorkerLockHold&) = delete;

private:
    WorkerLock& m_lock;
};

// The process-wide lock; it exists before any window or thread.
extern WorkerLock g_workerLock;

}  // namespace zep
