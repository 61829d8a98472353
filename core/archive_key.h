#pragma once
// What tells one archive from another for the import history: the BLAKE2b-256 digest of its
// exact bytes and their length. Names carry the time an archive was written, so they cannot
// say that two offers are the same reading; the bytes can.
#include <array>
#include <compare>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/blake2b.h"

namespace zep {

struct ArchiveKey {
    std::array<std::uint8_t, 32> digest{};
    std::uint64_t length = 0;

    bool operator==(const ArchiveKey&) const = default;
    auto operator<=>(const ArchiveKey&) const = default;
};

// Takes the bytes in pieces, as an archive is read or assembled.
class ArchiveKeyBuilder {
public:
    ArchiveKeyBuilder() = default;
    // The key of one raw file of the program folder as the conversion sees it: its name as well
    // as its content, so that the same archive offered again (a new raw file) is a new
    // conversion. The length counts the content only.
    explicit ArchiveKeyBuilder(std::string_view rawFileName);
    void Add(std::span<const std::uint8_t> bytes);
    ArchiveKey Finish();

private:
    Blake2b m_hash{32};
    std::uint64_t m_length = 0;
};

ArchiveKey ArchiveKeyOf(std::span<const std::uint8_t> bytes);

}  // namespace zep
