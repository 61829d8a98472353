// CRC-16/ARC for every block, record and card file: table-driven, sixteen bytes a step, with
// long buffers handed to the carry-less folding where the processor has it.
#include "core/crc16.h"

#include "core/crc16_fold.h"

#include <array>
#include <cstring>
#include <vector>

namespace zep {

namespace {

// Slicing-by-16: table k gives the CRC effect of a byte followed by k zero bytes, so sixteen
// independent lookups replace sixteen dependent steps. Every block, record and card file
// passes through here; this keeps the CRC above a fifth of plain copying speed.
constexpr int kSlices = 16;
using Tables = std::array<std::array<std::uint16_t, 256>, kSlices>;

constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned n = 0; n < 256; ++n) {
        std::uint16_t crc = static_cast<std::uint16_t>(n);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : (crc >> 1);
        }
        t[0][n] = crc;
    }
    for (unsigned n = 0; n < 256; ++n) {
        for (int k = 1; k < kSlices; ++k) {
            const std::uint16_t prev = t[k - 1][n];
            t[k][n] = static_cast<std::uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

// Below this length setting up the folding costs more than it saves.
constexpr std::size_t kFoldThreshold = 256;

std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t initial) {
#ifdef ZEP_CRC_FOLD
    if (data.size() >= kFoldThreshold && CanFoldBlocks()) {
        const std::size_t blocks = data.size() / 16;
        const auto folded = FoldBlocks(data.data(), blocks, initial);
        return Crc16(data.subspan(blocks * 16), Crc16(folded, 0));
    }
#endif
    std::uint32_t crc = initial;
    const std::uint8_t* p = data.data();
    std::size_t n = data.size();
    while (n >= kSlices) {
        // The running CRC folds into the first two bytes of the block.
        std::uint32_t folded = kTables[kSlices - 1][(crc ^ p[0]) & 0xFF] ^
                               kTables[kSlices - 2][((crc >> 8) ^ p[1]) & 0xFF];
        for (int i = 2; i < kSlices; ++i) {
            folded ^= kTables[kSlices - 1 - i][p[i]];
        }
        crc = folded;
        p += kSlices;
        n -= kSlices;
    }
    while (n-- > 0) {
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint16_t Crc16(const void* data, std::size_t length, std::uint16_t initial) {
    return Crc16(std::span(static_cast<const std::uint8_t*>(data), length), initial);
}

}  // namespace zep
