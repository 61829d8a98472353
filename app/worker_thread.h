#pragma once
// The thread of an exchange or card import. The poll reads a free worker lock as "no worker
// runs", so Start returns only once the new worker has taken the lock (or has already ended):
// the next tick can never see the lock free before the worker got it.
#include <functional>
#include <thread>

#include "core/worker_lock.h"

namespace zep {

class WorkerThread {
public:
    explicit WorkerThread(WorkerLock& lock) : m_lock(lock) {}
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // body must take the lock as its first step. The previous worker, which has released the
    // lock as its last step when the poll starts the next one, is joined first.
    void Start(std::function<void()> body);
    // Waits for the running worker, if any, to end.
    void Join();

private:
    WorkerLock& m_lock;
    std::thread m_thread;
};

}  // namespace zep
