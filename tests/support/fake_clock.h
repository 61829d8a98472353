#pragma once
// A clock that moves only when slept on, so pauses and one-second rules run instantly.
#include <atomic>

#include "core/clock.h"

namespace zep::test {

class FakeClock : public Clock {
public:
    explicit FakeClock(std::time_t start = 1700000000)
        : m_ms(static_cast<std::int64_t>(start) * 1000) {}
    std::time_t Now() override { return static_cast<std::time_t>(m_ms.load() / 1000); }
    void SleepMs(int milliseconds) override {
        if (milliseconds > 0) {
            m_ms += milliseconds;
            m_slept += milliseconds;
        }
    }
    std::int64_t TickMs() override { return m_ms.load(); }
    void Advance(int milliseconds) { m_ms += milliseconds; }
    std::int64_t SleptMs() const { return m_slept.load(); }

private:
    std::atomic<std::int64_t> m_ms;
    std::atomic<std::int64_t> m_slept{0};
};

}  // namespace zep::test
