// The fixed time base: the zone's standard offset in whole hours installed as TZ, and local times
// formatted under one lock with the runtime's zone calls.
#include "platform/time_base.h"

#include <cstdio>
#include <mutex>

#include "platform/time_base_calls.h"

namespace zep {

namespace {
std::mutex g_timeMutex;  // the zone state is shared by every thread and unsafe against TZ changes
}

int StandardOffsetHoursWest() {
    std::lock_guard guard(g_timeMutex);
    ReloadZone();
    return static_cast<int>(ZoneSecondsWest() / 3600);
}

bool FixTimeBase() {
    const int hours = StandardOffsetHoursWest();
    char zone[32];
    std::snprintf(zone, sizeof zone, "VLZ%d", hours);
    std::lock_guard guard(g_timeMutex);
    if (!SetZoneVariable(zone)) {
        return false;
    }
    ReloadZone();
    return true;
}

std::string FormatLocalTime(std::time_t moment, const char* pattern) {
    std::tm local{};
    {
        std::lock_guard guard(g_timeMutex);
        if (!ToLocalTime(moment, local)) {
            return {};
        }
    }
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, pattern, &local);
    return std::string(text, length);
}

}  // namespace zep
