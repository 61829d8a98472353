// BLAKE2b as RFC 7693 specifies it: twelve rounds of the G mixing over 128-byte blocks.
#include "core/blake2b.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zep {

namespace {

constexpr std::array<std::uint64_t, 8> kInitial = {
    0x6A09E667F3BCC908ull, 0xBB67AE8584CAA73Bull, 0x3C6EF372FE94F82Bull, 0xA54FF53A5F1D36F1ull,
    0x510E527FADE682D1ull, 0x9B05688C2B3E6C1Full, 0x1F83D9ABFB41BD6Bull, 0x5BE0CD19137E2179ull};

constexpr std::uint8_t kSigma[12][16] = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                                         {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
                                         {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
                                         {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
                                         {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
                                         {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
                                         {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
                                         {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
                                         {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
                                         {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
                                         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                                         {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3}};

constexpr std::uint64_t RotateRight(std::uint64_t x, int n) {
    return (x >> n) | (x << (64 - n));
}

std::uint64_t LoadLe64(const std::uint8_t* p) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

template <int A, int B, int C, int D>
inline void Mix(std::uint64_t* v, std::uint64_t x, std::uint64_t y) {
    v[A] = v[A] + v[B] + x;
    v[D] = RotateRight(v[D] ^ v[A], 32);
    v[C] = v[C] + v[D];
    v[B] = RotateRight(v[B] ^ v[C], 24);
    v[A] = v[A] + v[B] + y;
    v[D] = RotateRight(v[D] ^ v[A], 16);
    v[C] = v[C] + v[D];
    v[B] = RotateRight(v[B] ^ v[C], 63);
}

// One round with its message schedule known at compile time: the compiler keeps the state in
// registers and picks the words directly, about twice as fast as looking the schedule up.
template <int R>
inline void Round(std::uint64_t* v, const std::uint64_t* m) {
    constexpr const std::uint8_t* s = kSigma[R];
    Mix<0, 4, 8, 12>(v, m[s[0]], m[s[1]]);
    Mix<1, 5, 9, 13>(v, m[s[2]], m[s[3]]);
    Mix<2, 6, 10, 14>(v, m[s[4]], m[s[5]]);
    Mix<3, 7, 11, 15>(v, m[s[6]], m[s[7]]);
    Mix<0, 5, 10, 15>(v, m[s[8]], m[s[9]]);
    Mix<1, 6, 11, 12>(v, m[s[10]], m[s[11]]);
    Mix<2, 7, 8, 13>(v, m[s[12]], m[s[13]]);
    Mix<3, 4, 9, 14>(v, m[s[14]], m[s[15]]);
}

template <int... R>
inline void Rounds(std::uint64_t* v, const std::uint64_t* m, std::integer_sequence<int, R...>) {
    (Round<R>(v, m), ...);
}

}  // namespace

Blake2b::Blake2b(std::size_t digestSize)
    : m_digestSize(std::clamp<std::size_t>(digestSize, 1, kMaxDigest)) {
    m_state = kInitial;
    // Parameter block: digest length, no key, fanout 1, depth 1.
    m_state[0] ^= 0x01010000ull ^ m_digestSize;
}

void Blake2b::Compress(const std::uint8_t* block, bool last) {
    std::uint64_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = LoadLe64(block + 8 * i);
    }
    std::uint64_t v[16];
    for (int i = 0; i < 8; ++i) {
        v[i] = m_state[i];
        v[i + 8] = kInitial[i];
    }
    v[12] ^= m_counterLow;
    v[13] ^= m_counterHigh;
    if (last) {
        v[14] = ~v[14];
    }
    Rounds(v, m, std::make_integer_sequence<int, 12>{});
    for (int i = 0; i < 8; ++i) {
        m_state[i] ^= v[i] ^ v[i + 8];
    }
}

void Blake2b::Add(std::span<const std::uint8_t> bytes) {
    const auto count = [this](std::size_t n) {
        m_counterLow += n;
        m_counterHigh += m_counterLow < n ? 1 : 0;
    };
    // The last block is compressed only in Finish, with its flag: a full buffer waits until
    // more bytes come.
    while (!bytes.empty()) {
        if (m_buffered == kBlock) {
            count(kBlock);
            Compress(m_buffer.data(), false);
            m_buffered = 0;
        }
        if (m_buffered == 0) {
            while (bytes.size() > kBlock) {
                count(kBlock);
                Compress(bytes.data(), false);
                bytes = bytes.subspan(kBlock);
            }
        }
        const std::size_t take = std::min(kBlock - m_buffered, bytes.size());
        std::memcpy(m_buffer.data() + m_buffered, bytes.data(), take);
        m_buffered += take;
        bytes = bytes.subspan(take);
    }
}

std::span<const std::uint8_t> Blake2b::Finish() {
    m_counterLow += m_buffered;
    m_counterHigh += m_counterLow < m_buffered ? 1 : 0;
    std::fill(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_buffered), m_buffer.end(), 0);
    Compress(m_buffer.data(), true);
    for (std::size_t i = 0; i < m_digestSize; ++i) {
        m_digest[i] = static_cast<std::uint8_t>(m_state[i / 8] >> (8 * (i % 8)));
    }
    return std::span(m_digest).first(m_digestSize);
}

}  // namespace zep
