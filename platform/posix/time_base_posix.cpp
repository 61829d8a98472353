// The time base's zone calls of the C library: tzset, timezone, setenv and localtime_r.
#include <cstdlib>
#include <ctime>

#include "platform/time_base_calls.h"

namespace zep {

void ReloadZone() {
    tzset();
}

long ZoneSecondsWest() {
    // glibc's "timezone" is the standard-time offset, seconds west of UTC.
    return timezone;
}

bool SetZoneVariable(const char* zone) {
    return setenv("TZ", zone, 1) == 0;
}

bool ToLocalTime(std::time_t moment, std::tm& local) {
    return localtime_r(&moment, &local) != nullptr;
}

}  // namespace zep
