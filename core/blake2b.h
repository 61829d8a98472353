#pragma once
// BLAKE2b (RFC 7693), unkeyed, as the strong hash that tells archives apart by their bytes: an
// archive's name carries the time it was written, so only its content can say that two offers
// are the same reading. Fast on every processor without special instructions, which matters
// because every archive of a card is hashed, in the preview and in the import.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zep {

class Blake2b {
public:
    static constexpr std::size_t kMaxDigest = 64;
    static constexpr std::size_t kBlock = 128;

    // digestSize: 1 to 64 bytes; the size is part of the hash, so BLAKE2b-256 is not a prefix
    // of BLAKE2b-512.
    explicit Blake2b(std::size_t digestSize);

    void Add(std::span<const std::uint8_t> bytes);
    // The digest of everything added; the hasher is spent afterwards.
    std::span<const std::uint8_t> Finish();

private:
    void Compress(const std::uint8_t* block, bool last);

    std::array<std::uint64_t, 8> m_state{};
    std::array<std::uint8_t, kBlock> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_counterLow = 0;
    std::uint64_t m_counterHigh = 0;
    std::size_t m_digestSize;
    std::array<std::uint8_t, kMaxDigest> m_digest{};
};

}  // namespace zep
