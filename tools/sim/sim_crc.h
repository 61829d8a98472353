#pragma once
#include <cstdint>
#include <span>

namespace zep::sim {

// CRC-16/ARC (reflected polynomial 0xA001, no final inversion), computed bit by bit: the check
// word of every frame and archive the simulated devices produce. Kept apart from the program's
// own routine on purpose, so that a mistake in one is not hidden by the other.
std::uint16_t SimCrc16(std::span<const std::uint8_t> bytes, std::uint16_t initial = 0);

}  // namespace zep::sim
