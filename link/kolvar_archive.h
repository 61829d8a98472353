#pragma once
// The assembled archive (".bin") made of one Kolvar record: a 255-byte title area with five
// strings (the text at record offset 30, the device type, the virtual device list "0", the
// texts at record offsets 0 and 15) and three blocks of the record: kinds 0 (bytes 49-144),
// 1 (bytes 145-176) and 2 (bytes 177 to the end). size + 220 bytes in all.
#include <cstdint>
#include <span>
#include <vector>

namespace zep {

inline constexpr long kKolvarMinRecordSize = 177;           // the fixed part
inline constexpr long kKolvarMaxRecordSize = 177 + 0xFFFF;  // kind 2 length is 16-bit
// A title text longer than this is cut, so the five strings always fit the title area.
inline constexpr std::size_t kKolvarMaxTitleText = 80;

// Empty when the record is not between the two sizes above.
std::vector<std::uint8_t> BuildKolvarArchive(std::span<const std::uint8_t> record);

}  // namespace zep
