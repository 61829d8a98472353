// Encoding and checking the header and the entries of the import history file.
#include "core/history_record.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "core/crc32.h"

namespace zep {

namespace {

constexpr char kMagic[8] = {'Z', 'E', 'P', 'I', 'M', 'H', 'S', 'T'};
constexpr std::size_t kCheckedBytes = kHistoryEntrySize - 4;

void PutLe(std::uint8_t* out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint64_t ReadLe64(const std::uint8_t* p) {
    return (std::uint64_t{ReadLe32(p + 4)} << 32) | ReadLe32(p);
}

}  // namespace

std::array<std::uint8_t, kHistoryHeaderSize> HistoryHeader() {
    std::array<std::uint8_t, kHistoryHeaderSize> header{};
    std::memcpy(header.data(), kMagic, sizeof kMagic);
    PutLe(header.data() + 8, kHistoryVersion, 4);
    PutLe(header.data() + 12, kHistoryEntrySize, 4);
    return header;
}

HistoryHeaderCheck CheckHistoryHeader(std::span<const std::uint8_t> header) {
    if (header.size() < kHistoryHeaderSize || std::memcmp(header.data(), kMagic, 8) != 0) {
        return HistoryHeaderCheck::Foreign;
    }
    const std::uint32_t version = ReadLe32(header.data() + 8);
    if (version > kHistoryVersion) {
        return HistoryHeaderCheck::Newer;
    }
    return version == kHistoryVersion && ReadLe32(header.data() + 12) == kHistoryEntrySize
               ? HistoryHeaderCheck::Ours
               : HistoryHeaderCheck::Foreign;
}

HistoryEntryBytes EncodeHistoryEntry(const HistoryEntry& entry) {
    HistoryEntryBytes bytes{};
    bytes[0] = static_cast<std::uint8_t>(entry.kind);
    PutLe(bytes.data() + 2, entry.output, 2);
    PutLe(bytes.data() + 4, entry.time, 4);
    PutLe(bytes.data() + 8, entry.key.length, 8);
    std::copy(entry.key.digest.begin(), entry.key.digest.end(), bytes.begin() + 16);
    PutLe(bytes.data() + kCheckedBytes, Crc32(std::span(bytes).first(kCheckedBytes)), 4);
    return bytes;
}

std::optional<HistoryEntry> DecodeHistoryEntry(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHistoryEntrySize ||
        Crc32(bytes.first(kCheckedBytes)) != ReadLe32(bytes.data() + kCheckedBytes)) {
        return std::nullopt;
    }
    const std::uint8_t kind = bytes[0];
    if (kind < 1 || kind > 3 || bytes[1] != 0) {
        return std::nullopt;
    }
    HistoryEntry entry;
    entry.kind = static_cast<HistoryKind>(kind);
    entry.output = ReadLe16(bytes.data() + 2);
    entry.time = ReadLe32(bytes.data() + 4);
    entry.key.length = ReadLe64(bytes.data() + 8);
    std::copy_n(bytes.begin() + 16, entry.key.digest.size(), entry.key.digest.begin());
    return entry;
}

}  // namespace zep
