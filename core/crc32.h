#pragma once
// CRC-32 (IEEE 802.3: reflected polynomial 0xEDB88320, initial and final value 0xFFFFFFFF), the
// check word of each import history entry: a torn or zero-filled entry does not pass it.
#include <cstdint>
#include <span>

namespace zep {

std::uint32_t Crc32(std::span<const std::uint8_t> data);

}  // namespace zep
