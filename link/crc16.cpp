#include "link/crc16.h"

#include <array>
#include <cstring>
#include <vector>

namespace zep {

namespace {

// Slicing-by-4 tables: four bytes per step keeps the CRC well above a fifth of memcpy speed.
using Tables = std::array<std::array<std::uint16_t, 256>, 4>;

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
        for (int k = 1; k < 4; ++k) {
            const std::uint16_t prev = t[k - 1][n];
            t[k][n] = static_cast<std::uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t initial) {
    std::uint32_t crc = initial;
    const std::uint8_t* p = data.data();
    std::size_t n = data.size();
    while (n >= 4) {
        crc ^= static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
        crc = kTables[3][crc & 0xFF] ^ kTables[2][(crc >> 8) & 0xFF] ^ kTables[1][p[2]] ^
              kTables[0][p[3]];
        p += 4;
        n -= 4;
    }
    while (n-- > 0) {
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint16_t Crc16(const void* data, std::size_t length, std::uint16_t initial) {
    return Crc16(std::span(static_cast<const std::uint8_t*>(data), length), initial);
}

void ReverseBytes(void* destination, const void* source, std::size_t count) {
    std::vector<std::uint8_t> copy(count);
    if (count > 0) {
        std::memcpy(copy.data(), source, count);
    }
    auto* out = static_cast<std::uint8_t*>(destination);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = copy[count - 1 - i];
    }
}

std::uint16_t Swap16(std::uint16_t value) {
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

}  // namespace zep
