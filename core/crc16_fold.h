#pragma once
// Carry-less multiplication folding for Crc16 on processors that have it: a long buffer is
// reduced to 16 bytes with the same CRC, which the table code then finishes.
#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZEP_CRC_FOLD 1

namespace zep {

// True when this processor can run FoldBlocks.
bool CanFoldBlocks();

// Reduces `blocks` 16-byte blocks (at least 1) to one 16-byte block whose CRC, computed from
// initial value 0, equals the CRC of the blocks computed from `initial`.
std::array<std::uint8_t, 16> FoldBlocks(const std::uint8_t* data, std::size_t blocks,
                                        std::uint16_t initial);

}  // namespace zep

#endif
