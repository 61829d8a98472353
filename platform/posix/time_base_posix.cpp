#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "platform/time_base.h"

namespace zep {

namespace {
std::mutex g_timeMutex;  // localtime_r/tzset are not safe against a concurrent setenv
}

int StandardOffsetHoursWest() {
    std::lock_guard guard(g_timeMutex);
    tzset();
    // glibc's "timezone" is the standard-time offset, seconds west of UTC.
    return static_cast<int>(timezone / 3600);
}

bool FixTimeBase() {
    const int hours = StandardOffsetHoursWest();
    char zone[32];
    std::snprintf(zone, sizeof zone, "VLZ%d", hours);
    std::lock_guard guard(g_timeMutex);
    if (setenv("TZ", zone, 1) != 0) {
        return false;
    }
    tzset();
    return true;
}

std::string FormatLocalTime(std::time_t moment, const char* pattern) {
    std::tm local{};
    {
        std::lock_guard guard(g_timeMutex);
        localtime_r(&moment, &local);
    }
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, pattern, &local);
    return std::string(text, length);
}

}  // namespace zep
