#pragma once
// Records of the M1 heat meter as they stand in its archives: numbers least significant byte
// first, floating-point values as IEEE 754 single precision, times as seconds since
// 2000-01-01 00:00:00 of the meter's clock.
#include <cstddef>
#include <cstdint>

namespace m1 {

enum RecordKind : std::int32_t {
    kCurrent = 1,  // current readings, kCurrentSize bytes
    kHour = 2,     // hourly archive, kIntervalSize bytes
    kDay = 3,      // daily archive
    kMonth = 4,    // monthly archive
    kEvent = 5,    // event log entry: time, code, text (Windows-1251, to the end or a NUL)
};

// Current readings: time, Q (Gcal), V1, V2 (m3), T1, T2 (degrees C), operating hours, status.
inline constexpr std::size_t kCurrentSize = 30;
// Hour, day, month: time, Q (Gcal), M1, M2 (t), T1, T2 (degrees C), operating minutes, errors.
inline constexpr std::size_t kIntervalSize = 28;
// Event: time, code, then the text.
inline constexpr std::size_t kEventHeadSize = 6;

// Codes of partly processed records (the block's result).
inline constexpr std::int32_t kShortRecord = 2;    // too short for its kind: written raw
inline constexpr std::int32_t kTrailingBytes = 3;  // longer than its kind: the rest ignored

}  // namespace m1
