// Archive keys: a digest of the bytes and their count.
#include "core/archive_key.h"

#include <algorithm>

namespace zep {

void ArchiveKeyBuilder::Add(std::span<const std::uint8_t> bytes) {
    m_hash.Add(bytes);
    m_length += bytes.size();
}

ArchiveKey ArchiveKeyBuilder::Finish() {
    ArchiveKey key;
    const auto digest = m_hash.Finish();
    std::copy(digest.begin(), digest.end(), key.digest.begin());
    key.length = m_length;
    return key;
}

ArchiveKey ArchiveKeyOf(std::span<const std::uint8_t> bytes) {
    ArchiveKeyBuilder builder;
    builder.Add(bytes);
    return builder.Finish();
}

ArchiveKeyBuilder::ArchiveKeyBuilder(std::string_view rawFileName) {
    // The name ends at its terminator, so no name and content can pass for another pair.
    m_hash.Add(
        std::span(reinterpret_cast<const std::uint8_t*>(rawFileName.data()), rawFileName.size()));
    const std::uint8_t terminator = 0;
    m_hash.Add(std::span(&terminator, 1));
}

}  // namespace zep
