#pragma once
// The process's fixed time base: local time is UTC minus the zone's standard offset in whole
// hours (truncated toward zero), never daylight saving.
#include <ctime>
#include <string>

namespace zep {

// Reads the system zone, then installs "TZ=VLZ<h>" so that every later local-time conversion
// follows the rule. Returns false when the environment cannot be changed.
bool FixTimeBase();

// Whole hours west of UTC of the zone's standard time, as the time-base step computes them.
int StandardOffsetHoursWest();

// Formats a moment in the process's local time ("%Y%m%d%H%M%S", "%H:%M:%S %d.%m.%Y", ...).
std::string FormatLocalTime(std::time_t moment, const char* pattern);

constexpr const char* kFileStampPattern = "%Y%m%d%H%M%S";
constexpr const char* kLogStampPattern = "%H:%M:%S %d.%m.%Y";

}  // namespace zep
