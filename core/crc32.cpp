// CRC-32 eight bytes at a time ("slicing by 8"): eight tables of 256 words, built once.
#include "core/crc32.h"

#include <array>

namespace zep {

namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

Tables MakeTables() {
    Tables tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        tables[0][n] = c;
    }
    for (std::size_t t = 1; t < tables.size(); ++t) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            const std::uint32_t previous = tables[t - 1][n];
            tables[t][n] = tables[0][previous & 0xFF] ^ (previous >> 8);
        }
    }
    return tables;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> data) {
    static const Tables kTables = MakeTables();
    std::uint32_t crc = 0xFFFFFFFFu;
    std::size_t i = 0;
    for (; i + 8 <= data.size(); i += 8) {
        const std::uint32_t low =
            crc ^ (std::uint32_t{data[i]} | std::uint32_t{data[i + 1]} << 8 |
                   std::uint32_t{data[i + 2]} << 16 | std::uint32_t{data[i + 3]} << 24);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^
              kTables[5][(low >> 16) & 0xFF] ^ kTables[4][low >> 24] ^ kTables[3][data[i + 4]] ^
              kTables[2][data[i + 5]] ^ kTables[1][data[i + 6]] ^ kTables[0][data[i + 7]];
    }
    for (; i < data.size(); ++i) {
        crc = kTables[0][(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace zep
