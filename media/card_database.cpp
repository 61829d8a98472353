// Reading a card database into memory and writing its changed flags back.
#include "media/card_database.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "core/crc16.h"
#include "core/number_text.h"
#include "core/title_area.h"
#include "platform/file_patch.h"

namespace zep {

namespace {

constexpr std::size_t kBlockHeaderSize = 6;
constexpr std::size_t kIndexEntrySize = 8;
constexpr std::size_t kRecordHeadSize = 14;  // 8 uninterpreted bytes, L, check word, H
constexpr int kTitleStrings = 6;

bool ReadExactly(std::istream& file, std::uint8_t* into, std::size_t count) {
    file.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
    return file.gcount() == static_cast<std::streamsize>(count);
}

// Like fseek: a position beyond the end is allowed, and the next read then fails.
bool SeekTo(std::istream& file, std::uint64_t position) {
    file.clear();
    return static_cast<bool>(file.seekg(static_cast<std::streamoff>(position)));
}

bool HoldsTerminatedStrings(std::span<const std::uint8_t> area, int wanted) {
    int found = 0;
    for (const std::uint8_t byte : area) {
        if (byte == 0 && ++found == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::uint16_t CardRecord::Length() const {
    return ReadBe16(bytes.data() + 8);
}
std::uint16_t CardRecord::StoredCheckBe() const {
    return ReadBe16(bytes.data() + 10);
}
std::uint16_t CardRecord::StoredCheckAsKey() const {
    return ReadLe16(bytes.data() + 10);
}

std::span<const std::uint8_t> CardRecord::Checked() const {
    return bytes.subspan(12, Length() - 2u);
}

std::span<const std::uint8_t> CardRecord::TitleArea() const {
    return bytes.subspan(kRecordHeadSize, ReadBe16(bytes.data() + 12));
}

std::span<const std::uint8_t> CardRecord::Payload() const {
    const std::size_t titleLength = ReadBe16(bytes.data() + 12);
    return bytes.subspan(kRecordHeadSize + titleLength, Length() - titleLength - 4u);
}

bool CardRecord::CheckWordMatches() const {
    return Crc16(Checked()) == StoredCheckBe();
}

std::string CardRecord::Title(int n) const {
    return NthString(TitleArea(), n).value_or("");
}

long CardRecord::Volume() const {
    return ParseDecimalAs<long>(Title(5));
}

std::optional<CardRecord> CardRecord::Parse(std::span<const std::uint8_t> extent) {
    if (extent.size() < kRecordHeadSize) {
        return std::nullopt;
    }
    const std::size_t length = ReadBe16(extent.data() + 8);
    const std::size_t titleLength = ReadBe16(extent.data() + 12);
    // The title-area length lies inside the L bytes, so L must reach it; the data end at
    // offset L + 9, which must lie inside the extent.
    if (length < 4 || length + 10 > extent.size() || titleLength > length - 4) {
        return std::nullopt;
    }
    if (!HoldsTerminatedStrings(extent.subspan(kRecordHeadSize, titleLength), kTitleStrings)) {
        return std::nullopt;
    }
    return CardRecord{extent};
}

int CCardDatabase::Load(const std::filesystem::path& path, std::string_view signature) {
    Release();
    m_path = path;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return kCardCannotOpen;
    }
    std::error_code error;
    const auto length = std::filesystem::file_size(path, error);
    m_fileLength = error ? 0 : length;

    m_header.resize(kCardHeaderSize);
    if (!ReadExactly(file, m_header.data(), kCardHeaderSize)) {
        m_header.clear();
        return kCardTooShort;
    }
    if (signature.size() != 4 || std::memcmp(m_header.data() + 64, signature.data(), 4) != 0) {
        return kCardBadSignature;
    }
    if (const int result = ReadIndex(file); result != kCardLoaded) {
        m_entries.clear();
        return result;
    }
    if (const int result = ReadRecords(file); result != kCardLoaded) {
        m_entries.clear();
        m_records = LargeBuffer();
        return result;
    }
    return kCardLoaded;
}

int CCardDatabase::ReadIndex(std::istream& file) {
    std::uint8_t blockHeader[kBlockHeaderSize];
    if (!ReadExactly(file, blockHeader, kBlockHeaderSize)) {
        return kCardLoaded;  // a file that ends behind its header has an empty index
    }
    while (true) {
        const std::uint32_t next = ReadLe32(blockHeader);
        const std::size_t blockCount = ReadBe16(blockHeader + 4);
        std::size_t read = 0;
        for (; read < blockCount; ++read) {
            const std::streamoff position = file.tellg();
            std::uint8_t entry[kIndexEntrySize];
            if (position < 0 || !ReadExactly(file, entry, kIndexEntrySize)) {
                break;
            }
            // No block count can equal a total beyond the table, so such a file fails
            // anyway; stopping here keeps the table within its room.
            if (m_entries.size() == kCardMaxEntries) {
                return kCardBadIndex;
            }
            m_entries.push_back(
                Entry{static_cast<std::uint32_t>(position), ReadBe32(entry), entry[4], 0, 0, 0});
        }
        // A block that yields nothing fails too, so a block pointing back at itself cannot
        // keep the reading going for ever.
        if (read == 0 || m_entries.size() != blockCount) {
            return kCardBadIndex;
        }
        if (next == 0 || !SeekTo(file, next) || !ReadExactly(file, blockHeader, kBlockHeaderSize)) {
            return kCardLoaded;
        }
    }
}

int CCardDatabase::ReadRecords(std::istream& file) {
    if (m_entries.empty()) {
        return kCardLoaded;
    }
    // Every extent must hold at least one byte: offsets have to increase along the index and
    // the last one has to lie inside the file. Checked before anything is allocated.
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::uint64_t end =
            i + 1 < m_entries.size() ? m_entries[i + 1].recordOffset : m_fileLength;
        if (end <= m_entries[i].recordOffset) {
            return kCardReadFailed;
        }
        m_entries[i].size = end - m_entries[i].recordOffset;
        m_entries[i].bufferOffset = m_entries[i].recordOffset - m_entries.front().recordOffset;
    }
    const std::uint32_t first = m_entries.front().recordOffset;
    if (!SeekTo(file, first)) {
        return kCardSeekFailed;
    }
    auto records = LargeBuffer::Allocate(m_fileLength - first);
    if (!records) {
        return kCardReadFailed;
    }
    m_records = std::move(*records);
    if (!ReadExactly(file, m_records.data(), m_records.size())) {
        return kCardReadFailed;
    }
    return kCardLoaded;
}

std::uint16_t CCardDatabase::Version() const {
    return m_header.size() >= kCardHeaderSize ? ReadBe16(m_header.data() + 34) : 0;
}

std::span<const std::uint8_t> CCardDatabase::Extent(std::uint32_t i) const {
    if (i >= m_entries.size() || m_records.empty()) {
        return {};
    }
    return m_records.bytes().subspan(m_entries[i].bufferOffset, m_entries[i].size);
}

std::optional<CardRecord> CCardDatabase::Record(std::uint32_t i) const {
    if (i >= m_entries.size()) {
        return std::nullopt;
    }
    return CardRecord::Parse(Extent(i));
}

std::uint8_t CCardDatabase::Flags(std::uint32_t i) const {
    return i < m_entries.size() ? m_entries[i].flags : 0;
}

std::uint32_t CCardDatabase::IndexPosition(std::uint32_t i) const {
    return i < m_entries.size() ? m_entries[i].indexPosition : 0;
}

std::uint32_t CCardDatabase::RecordOffset(std::uint32_t i) const {
    return i < m_entries.size() ? m_entries[i].recordOffset : 0;
}

bool CCardDatabase::Mark(std::uint32_t i, std::uint8_t bits) {
    if (i >= m_entries.size()) {
        return false;
    }
    m_entries[i].flags |= bits;
    m_entries[i].changed = 1;
    m_modified = true;
    return true;
}

std::uint32_t CCardDatabase::CountFlagged(std::uint8_t mask) const {
    std::uint32_t count = 0;
    for (const Entry& entry : m_entries) {
        count += (entry.flags & mask) != 0 ? 1 : 0;
    }
    return count;
}

bool CCardDatabase::SaveFlags() {
    std::vector<BytePatch> patches;
    for (Entry& entry : m_entries) {
        if ((entry.changed & 1) != 0) {
            patches.push_back({std::uint64_t{entry.indexPosition} + 4, entry.flags});
        }
        entry.changed = 0;
    }
    // A flags byte that never reaches the card would bring the record back next time.
    return patches.empty() || PatchFileBytes(m_path, patches);
}

void CCardDatabase::Release() {
    m_entries.clear();
    m_records = LargeBuffer();
    m_header.clear();
    m_fileLength = 0;
    m_modified = false;
}

}  // namespace zep
