#pragma once
// Wall clock and sleep behind one interface, so that one-second polls and protocol pauses can
// be tested without waiting.
#include <chrono>
#include <ctime>

namespace zep {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the epoch (UTC).
    virtual std::time_t Now() = 0;
    virtual void SleepMs(int milliseconds) = 0;
    // A monotonic millisecond counter for measuring pauses.
    virtual std::int64_t TickMs() = 0;
};

class SystemClock final : public Clock {
public:
    std::time_t Now() override;
    void SleepMs(int milliseconds) override;
    std::int64_t TickMs() override;
};

// The clock of the running process.
Clock& DefaultClock();

}  // namespace zep
