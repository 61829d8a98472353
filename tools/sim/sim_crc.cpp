// The simulators' own bitwise CRC-16/ARC, kept apart from the program's so that a mistake in one
// is not hidden by the other.
#include "tools/sim/sim_crc.h"

namespace zep::sim {

std::uint16_t SimCrc16(std::span<const std::uint8_t> bytes, std::uint16_t initial) {
    std::uint16_t crc = initial;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

}  // namespace zep::sim
