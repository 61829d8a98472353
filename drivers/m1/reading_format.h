#pragma once
// Rendering shared by the sample drivers: little-endian fields of meter records written as
// "Name=value" lines into sections "[NAME]" ... "[NAME_END]", floating-point values through the
// stream's own notation (fixed, 6 decimals, as the host sets it).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <span>

namespace sample {

// Codes of partly processed records (the block's result).
inline constexpr std::int32_t kShortRecord = 2;    // too short for its kind: written raw
inline constexpr std::int32_t kTrailingBytes = 3;  // longer than its kind: the rest not rendered

// One reading: time (seconds since 1970, UTC), heat Q (Gcal), mass M1 forward and M2 return
// (t), temperatures T1 forward and T2 return (degrees C), operating time Tnar (hours).
inline constexpr std::size_t kReadingSize = 28;

inline std::uint32_t U32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

inline double F32(const unsigned char* p) {
    const std::uint32_t bits = U32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// "Time=YYYY-MM-DD hh:mm:ss" of seconds since 1970 (UTC), by the civil calendar.
inline void WriteTime(std::ostream& out, std::uint32_t seconds) {
    const std::int64_t z = seconds / 86400 + 719468;
    const std::uint32_t secondOfDay = seconds % 86400;
    const std::int64_t era = z / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02u:%02u:%02u", year, month, day,
                  secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    out << "Time=" << text << "\n";
}

// The fields of one reading, without the section lines.
inline void WriteReadingFields(std::ostream& out, const unsigned char* p) {
    WriteTime(out, U32(p));
    out << "Q=" << F32(p + 4) << "\n"
        << "M1=" << F32(p + 8) << "\n"
        << "M2=" << F32(p + 12) << "\n"
        << "T1=" << F32(p + 16) << "\n"
        << "T2=" << F32(p + 20) << "\n"
        << "Tnar=" << F32(p + 24) << "\n";
}

// A record the driver cannot render, kept for the dispatcher as hex.
inline void WriteRaw(std::ostream& out, int kind, std::span<const unsigned char> data) {
    static const char kHex[] = "0123456789ABCDEF";
    out << "[RECORD]\nKind=" << kind << "\nData=";
    for (const unsigned char byte : data) {
        out << kHex[byte >> 4] << kHex[byte & 15];
    }
    out << "\n[RECORD_END]\n";
}

}  // namespace sample
