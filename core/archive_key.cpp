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

ArchiveKey RawFileKey(std::string_view name, std::span<const std::uint8_t> content) {
    Blake2b hash(32);
    // The name ends at its terminator, so no name and content can pass for another pair.
    hash.Add(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
    const std::uint8_t terminator = 0;
    hash.Add(std::span(&terminator, 1));
    hash.Add(content);
    ArchiveKey key;
    const auto digest = hash.Finish();
    std::copy(digest.begin(), digest.end(), key.digest.begin());
    key.length = content.size();
    return key;
}

}  // namespace zep
