// A started worker holds the lock before Start returns, so the next poll cannot take a free
// lock for "no worker runs".
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "app/worker_thread.h"

namespace zep::test {
namespace {

TEST(WorkerThreadTest, StartReturnsOnlyOnceTheWorkerHoldsTheLock) {
    WorkerLock lock;
    WorkerThread thread(lock);
    for (int round = 0; round < 20; ++round) {
        std::promise<void> release;
        auto released = release.get_future();
        thread.Start([&lock, &released] {
            WorkerLockHold hold(lock);
            released.wait();
        });
        const bool lockWasFree = lock.TryAcquire();
        if (lockWasFree) {
            lock.Release();
        }
        EXPECT_FALSE(lockWasFree) << "round " << round;
        release.set_value();
        thread.Join();
        EXPECT_FALSE(lock.IsHeld());
    }
}

TEST(WorkerThreadTest, WorkerThatEndsAtOnceDoesNotHangTheStarter) {
    WorkerLock lock;
    WorkerThread thread(lock);
    std::atomic<int> runs{0};
    thread.Start([&] {
        WorkerLockHold hold(lock);
        ++runs;
    });
    thread.Start([&] { ++runs; });  // joins the first; the second never takes the lock
    thread.Join();
    EXPECT_EQ(runs.load(), 2);
    EXPECT_FALSE(lock.IsHeld());
}

}  // namespace
}  // namespace zep::test
