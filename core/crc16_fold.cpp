// CRC-16/ARC folding by carry-less multiplication where the processor has it: a long buffer is
// reduced to one 16-byte block of the same CRC, which the table code then finishes.
#include "core/crc16_fold.h"

#ifdef ZEP_CRC_FOLD
#include <immintrin.h>

namespace zep {

namespace {

// The generator x^16 + x^15 + x^2 + 1 of CRC-16/ARC (0xA001 is its bit reversal).
constexpr std::uint32_t kPoly = 0x18005;

// x^n mod P, with bit i the coefficient of x^i.
constexpr std::uint16_t XPowerModPoly(unsigned n) {
    std::uint32_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r & 0x10000) {
            r ^= kPoly;
        }
    }
    return static_cast<std::uint16_t>(r);
}

// A polynomial of degree below 16 as the bit-reflected 64-bit operand of a carry-less multiply:
// x^i sits at bit 63 - i, the order in which a reflected CRC sees the bits of its input.
constexpr std::uint64_t ReflectedOperand(std::uint16_t poly) {
    std::uint64_t r = 0;
    for (int i = 0; i < 16; ++i) {
        if (poly & (1u << i)) {
            r |= std::uint64_t{1} << (63 - i);
        }
    }
    return r;
}

// Folding a 128-bit block over `distance` bits: its first half (the higher powers) is
// multiplied by x^(distance + 63), its second half by x^(distance - 1); the one extra x of
// each constant makes up for the reflected product landing one bit short.
struct FoldConstants {
    std::uint64_t firstHalf;
    std::uint64_t secondHalf;
};

constexpr FoldConstants ConstantsFor(unsigned distance) {
    return {ReflectedOperand(XPowerModPoly(distance + 63)),
            ReflectedOperand(XPowerModPoly(distance - 1))};
}

constexpr FoldConstants kFoldBy1 = ConstantsFor(128);
constexpr FoldConstants kFoldBy4 = ConstantsFor(512);

}  // namespace

bool CanFoldBlocks() {
    static const bool supported = __builtin_cpu_supports("pclmul") != 0;
    return supported;
}

namespace {

__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i block, __m128i constants,
                                                           __m128i next) {
    const __m128i first = _mm_clmulepi64_si128(block, constants, 0x00);
    const __m128i second = _mm_clmulepi64_si128(block, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(first, second), next);
}

__attribute__((target("pclmul,sse2"))) inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

__attribute__((target("pclmul,sse2"))) std::array<std::uint8_t, 16> FoldBlocks(
    const std::uint8_t* data, std::size_t blocks, std::uint16_t initial) {
    const __m128i by1 = _mm_set_epi64x(static_cast<long long>(kFoldBy1.secondHalf),
                                       static_cast<long long>(kFoldBy1.firstHalf));
    const __m128i by4 = _mm_set_epi64x(static_cast<long long>(kFoldBy4.secondHalf),
                                       static_cast<long long>(kFoldBy4.firstHalf));
    // A non-zero initial value acts as if it were added to the first two bytes.
    __m128i acc0 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(initial));
    const std::uint8_t* p = data + 16;
    std::size_t left = blocks - 1;
    if (left >= 7) {
        // Four independent lanes keep the multiplier busy while each product is on its way.
        __m128i acc1 = Load(p);
        __m128i acc2 = Load(p + 16);
        __m128i acc3 = Load(p + 32);
        p += 48;
        left -= 3;
        while (left >= 4) {
            acc0 = Fold(acc0, by4, Load(p));
            acc1 = Fold(acc1, by4, Load(p + 16));
            acc2 = Fold(acc2, by4, Load(p + 32));
            acc3 = Fold(acc3, by4, Load(p + 48));
            p += 64;
            left -= 4;
        }
        acc0 = Fold(Fold(Fold(acc0, by1, acc1), by1, acc2), by1, acc3);
    }
    for (; left > 0; --left, p += 16) {
        acc0 = Fold(acc0, by1, Load(p));
    }
    std::array<std::uint8_t, 16> out;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data()), acc0);
    return out;
}

}  // namespace zep

#endif
