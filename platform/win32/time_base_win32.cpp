// The time base's zone calls of the C runtime: _tzset, _timezone, _putenv_s and localtime_s.
#include <cstdlib>
#include <ctime>

#include "platform/time_base_calls.h"

namespace zep {

void ReloadZone() {
    _tzset();
}

long ZoneSecondsWest() {
    // Standard time, seconds west of UTC.
    return _timezone;
}

bool SetZoneVariable(const char* zone) {
    return _putenv_s("TZ", zone) == 0;
}

bool ToLocalTime(std::time_t moment, std::tm& local) {
    return localtime_s(&local, &moment) == 0;
}

}  // namespace zep
