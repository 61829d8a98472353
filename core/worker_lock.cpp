// The lock that lets at most one exchange or card import run at a time; the poll only tests it.
#include "core/worker_lock.h"

namespace zep {

WorkerLock g_workerLock;

void WorkerLock::Acquire() {
    std::unique_lock guard(m_mutex);
    m_released.wait(guard, [this] { return !m_held; });
    m_held = true;
}

bool WorkerLock::TryAcquire() {
    std::lock_guard guard(m_mutex);
    if (m_held) {
        return false;
    }
    m_held = true;
    return true;
}

void WorkerLock::Release() {
    {
        std::lock_guard guard(m_mutex);
        m_held = false;
    }
    m_released.notify_one();
}

bool WorkerLock::IsHeld() const {
    std::lock_guard guard(m_mutex);
    return m_held;
}

}  // namespace zep
