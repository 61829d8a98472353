#pragma once
// Card files are identified in a preview selection by the CRC-16 of their name, and named in
// log lines in UTF-8.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/worker_params.h"

namespace zep {

inline constexpr std::uint32_t kFileKeyMask = 0xFFFF0000u;
inline constexpr std::uint32_t kRecordKeyMask = 0x0000FFFFu;

// Crc16 of the name's bytes (no folder, no terminator) in the upper half, 0 in the lower.
SelectionKey CardFileKey(std::string_view name);

// True when some key agrees with the value in the bits of the mask.
bool MatchesSelection(std::span<const SelectionKey> keys, std::uint32_t value, std::uint32_t mask);

// The name as a log line shows it: names that are not UTF-8 come from a Windows-1251 card.
std::string CardFileNameForLog(std::string_view name);

}  // namespace zep
