// Starts an exchange or card import on its own thread and returns only once it holds the worker
// lock, so the next poll cannot mistake the moment before for "no worker runs".
#include "app/worker_thread.h"

#include <atomic>
#include <chrono>
#include <memory>

namespace zep {

WorkerThread::~WorkerThread() {
    Join();
}

void WorkerThread::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void WorkerThread::Start(std::function<void()> body) {
    Join();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    m_thread = std::thread([body = std::move(body), ended] {
        body();
        ended->store(true);
    });
    // Only workers take the lock and this thread is the one that starts them, so the lock
    // being held here means the new worker has it.
    while (!m_lock.IsHeld() && !ended->load()) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace zep
