// CRC-16/ARC: the table-driven routine against a bitwise one, and chaining.
#include "core/crc16.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zep {
namespace {

std::uint16_t BitwiseCrc(const std::vector<std::uint8_t>& data, std::uint16_t crc) {
    for (auto byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : (crc >> 1);
        }
    }
    return crc;
}

TEST(Crc16, KnownCheckValueAndEmptyInput) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(check.data(), check.size()), 0xBB3D);  // CRC-16/ARC check value
    EXPECT_EQ(Crc16(nullptr, 0, 0x1234), 0x1234);
}

TEST(Crc16, TableVersionAgreesWithBitwiseForAllLengthsAndChaining) {
    std::mt19937 random(7);
    for (std::size_t length = 0; length < 70; ++length) {
        std::vector<std::uint8_t> data(length);
        for (auto& b : data) b = static_cast<std::uint8_t>(random());
        const auto initial = static_cast<std::uint16_t>(random());
        ASSERT_EQ(Crc16(data, initial), BitwiseCrc(data, initial)) << "length " << length;
        // Chaining over two halves equals one pass.
        const std::size_t half = length / 2;
        const auto first = Crc16(std::span(data).first(half), initial);
        EXPECT_EQ(Crc16(std::span(data).subspan(half), first), BitwiseCrc(data, initial));
    }
}

TEST(Crc16, LongBuffersAgreeWithBitwiseAtEveryLengthAndStart) {
    // Long inputs take the folding path where the processor has it: lengths around every
    // block and lane boundary, unaligned starts, and a large buffer.
    std::mt19937 random(11);
    std::vector<std::uint8_t> data(1 << 20);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    for (std::size_t length = 200; length < 1200; ++length) {
        const std::size_t start = length % 16;
        const std::vector<std::uint8_t> piece(data.begin() + start, data.begin() + start + length);
        const auto initial = static_cast<std::uint16_t>(random());
        ASSERT_EQ(Crc16(std::span(data).subspan(start, length), initial),
                  BitwiseCrc(piece, initial))
            << "length " << length;
    }
    EXPECT_EQ(Crc16(data, 0x55AA), BitwiseCrc(data, 0x55AA));
    const std::vector<std::uint8_t> zeros(4096, 0);
    EXPECT_EQ(Crc16(zeros), 0);
    const std::vector<std::uint8_t> ones(4096, 0xFF);
    EXPECT_EQ(Crc16(ones, 0xFFFF), BitwiseCrc(ones, 0xFFFF));
}

}  // namespace
}  // namespace zep
