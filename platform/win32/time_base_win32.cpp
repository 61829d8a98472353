// The fixed time base through the C runtime's own zone handling: _tzset, _timezone and TZ.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "platform/time_base.h"

namespace zep {

namespace {
std::mutex g_timeMutex;  // _tzset and the zone it fills are shared by every thread
}

int StandardOffsetHoursWest() {
    std::lock_guard guard(g_timeMutex);
    _tzset();
    // Standard time, seconds west of UTC.
    return static_cast<int>(_timezone / 3600);
}

bool FixTimeBase() {
    const int hours = StandardOffsetHoursWest();
    char zone[32];
    std::snprintf(zone, sizeof zone, "VLZ%d", hours);
    std::lock_guard guard(g_timeMutex);
    if (_putenv_s("TZ", zone) != 0) {
        return false;
    }
    _tzset();
    return true;
}

std::string FormatLocalTime(std::time_t moment, const char* pattern) {
    std::tm local{};
    {
        std::lock_guard guard(g_timeMutex);
        if (localtime_s(&local, &moment) != 0) {
            return {};
        }
    }
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, pattern, &local);
    return std::string(text, length);
}

}  // namespace zep
