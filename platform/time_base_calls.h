#pragma once
// The C runtime's zone calls beneath the time base (time_base.cpp), which name them differently
// on each system. Called only under the time base's lock: they share the runtime's zone state.
#include <ctime>

namespace zep {

// Reads TZ (or the system zone) into the runtime's zone state.
void ReloadZone();
// The standard-time offset of that state, seconds west of UTC.
long ZoneSecondsWest();
// Sets TZ for the process; false when the environment cannot be changed.
bool SetZoneVariable(const char* zone);
// The moment in local time; false when it has none.
bool ToLocalTime(std::time_t moment, std::tm& local);

}  // namespace zep
