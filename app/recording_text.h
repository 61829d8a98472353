#pragma once
// How the inspection and the replay of a session recording put its parts into words: the
// device, the session's start in the program's time, and one step of the session.
#include <string>

#include "link/session_record.h"
#include "link/session_replay.h"

namespace zep {

// "ZEP adapter", "Tessal collector", "Kolvar device".
std::string DeviceName(RecordedDevice device);
// The same in a file name: "zep", "tessal", "kolvar".
const char* DeviceWord(RecordedDevice device);
// "08:00:00 07.12.2026 (program time, UTC+3)": the start as the session's program showed it.
std::string SessionStartText(const RecordingHeader& header);
// A step: "write \"=\"", "read", "SetSpeed(57600)", "raw file NAME, 12 bytes, check word 0x1234",
// "the end of the exchange".
std::string StepText(const ReplayStep& step);
// Milliseconds as seconds: "12.345 s".
std::string SecondsText(std::int64_t milliseconds);

}  // namespace zep
