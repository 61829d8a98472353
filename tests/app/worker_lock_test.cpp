// One worker at a time: the poll's test fails while a worker holds the lock, another worker
// waits for it, and the lock is given up on every way out of a worker.
#include "core/worker_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace zep {
namespace {

TEST(WorkerLock, PollTestFailsWhileAWorkerHoldsIt) {
    WorkerLock lock;
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_TRUE(lock.TryAcquire());  // the poll: test, then release at once
    lock.Release();
    {
        WorkerLockHold worker(lock);
        EXPECT_TRUE(lock.IsHeld());
        EXPECT_FALSE(lock.TryAcquire());
    }
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_TRUE(lock.TryAcquire());
    lock.Release();
}

TEST(WorkerLock, AcquireWaitsUntilTheHolderReleases) {
    WorkerLock lock;
    lock.Acquire();
    std::atomic<bool> started{false};
    std::atomic<bool> acquired{false};
    std::thread second([&] {
        started = true;
        WorkerLockHold hold(lock);
        acquired = true;
    });
    while (!started) {
        std::this_thread::yield();
    }
    // Give the second worker ample chance to get through a broken lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(acquired);
    lock.Release();
    second.join();
    EXPECT_TRUE(acquired);
    EXPECT_FALSE(lock.IsHeld());
}

TEST(WorkerLock, HoldReleasesOnEveryPathOut) {
    WorkerLock lock;
    const auto workerThatFails = [&]() -> int {
        WorkerLockHold hold(lock);
        return -1;
    };
    EXPECT_EQ(workerThatFails(), -1);
    EXPECT_FALSE(lock.IsHeld());
    try {
        WorkerLockHold hold(lock);
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(lock.IsHeld());
    // The process-wide lock starts free.
    EXPECT_FALSE(g_workerLock.IsHeld());
}

}  // namespace
}  // namespace zep
