// The real clock behind the clock interface: wall time, sleeping and a monotonic tick.
#include "core/clock.h"

#include <thread>

namespace zep {

std::time_t SystemClock::Now() {
    return std::time(nullptr);
}

void SystemClock::SleepMs(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

std::int64_t SystemClock::TickMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace zep
