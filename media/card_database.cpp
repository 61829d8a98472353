// Reading a card database record by record and writing its changed flags back.
#include "media/card_database.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/crc16.h"
#include "core/number_text.h"
#include "core/title_area.h"
#include "platform/file_patch.h"

namespace zep {

namespace {

constexpr std::size_t kBlockHeaderSize = 6;
constexpr std::size_t kWindowSize = std::size_t{1} << 20;
constexpr std::size_t kIndexEntrySize = 8;
constexpr std::size_t kRecordHeadSize = 14;  // 8 uninterpreted bytes, L, check word, H
constexpr int kTitleStrings = 6;

bool HoldsTerminatedStrings(std::span<const std::uint8_t> area, int wanted) {
    int found = 0;
    for (const std::uint8_t byte : area) {
        if (byte == 0 && ++found == wanted) {
            return true;
        }
    }
    return false;
}

// The lengths fit the extent and the title area holds the six strings.
bool Fits(std::span<const std::uint8_t> extent) {
    if (extent.size() < kRecordHeadSize) {
        return false;
    }
    const std::size_t length = ReadBe16(extent.data() + 8);
    const std::size_t titleLength = ReadBe16(extent.data() + 12);
    // The title-area length lies inside the L bytes, so L must reach it; the data end at
    // offset L + 9, which must lie inside the extent.
    if (length < 4 || length + 10 > extent.size() || titleLength > length - 4) {
        return false;
    }
    return HoldsTerminatedStrings(extent.subspan(kRecordHeadSize, titleLength), kTitleStrings);
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
    return std::span(bytes).subspan(12, Length() - 2u);
}

std::span<const std::uint8_t> CardRecord::TitleArea() const {
    return std::span(bytes).subspan(kRecordHeadSize, ReadBe16(bytes.data() + 12));
}

std::span<const std::uint8_t> CardRecord::Payload() const {
    const std::size_t titleLength = ReadBe16(bytes.data() + 12);
    return std::span(bytes).subspan(kRecordHeadSize + titleLength, Length() - titleLength - 4u);
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
    if (!Fits(extent)) {
        return std::nullopt;
    }
    return CardRecord{std::vector<std::uint8_t>(extent.begin(), extent.end())};
}

std::optional<CardRecord> CardRecord::Parse(std::vector<std::uint8_t>&& extent) {
    if (!Fits(extent)) {
        return std::nullopt;
    }
    return CardRecord{std::move(extent)};
}

int CCardDatabase::Load(const std::filesystem::path& path, std::string_view signature) {
    Release();
    m_path = path;
    m_file = OpenedRegularFile::Open(path);
    if (!m_file) {
        return kCardCannotOpen;
    }
    m_fileLength = m_file->Size();

    m_header.resize(kCardHeaderSize);
    const auto headerRead = m_file->ReadAt(0, m_header);
    if (headerRead != kCardHeaderSize) {
        m_header.clear();
        m_file.reset();
        return headerRead ? kCardTooShort : kCardCannotOpen;
    }
    if (signature.size() != 4 || std::memcmp(m_header.data() + 64, signature.data(), 4) != 0) {
        m_file.reset();
        return kCardBadSignature;
    }
    int result = ReadIndex();
    if (result == kCardLoaded) {
        result = MeasureExtents();
    }
    if (result != kCardLoaded) {
        m_entries.clear();
        m_file.reset();
    }
    return result;
}

int CCardDatabase::ReadIndex() {
    std::uint8_t blockHeader[kBlockHeaderSize];
    std::vector<std::uint8_t> block;
    std::uint64_t position = kCardHeaderSize;
    while (true) {
        // The index ends where the file ends before a block header: behind the file header
        // that is an empty index.
        const auto headerRead = m_file->ReadAt(position, blockHeader);
        if (!headerRead) {
            return kCardReadFailed;
        }
        if (*headerRead != kBlockHeaderSize) {
            return kCardLoaded;
        }
        const std::uint32_t next = ReadLe32(blockHeader);
        const std::size_t blockCount = ReadBe16(blockHeader + 4);
        position += kBlockHeaderSize;
        // One read for the whole block; a block cut short by the end of the file yields the
        // entries it holds in full.
        block.resize(blockCount * kIndexEntrySize);
        const auto blockRead = m_file->ReadAt(position, block);
        if (!blockRead) {
            return kCardReadFailed;
        }
        const std::size_t read = *blockRead / kIndexEntrySize;
        for (std::size_t k = 0; k < read; ++k) {
            const std::uint64_t entryPosition = position + k * kIndexEntrySize;
            // No block count can equal a total beyond the table, so such a file fails
            // anyway; stopping here keeps the table within its room. An entry beyond 4 GiB
            // could not be told where to write its flags back.
            if (m_entries.size() == kCardMaxEntries || entryPosition > UINT32_MAX) {
                return kCardBadIndex;
            }
            const std::uint8_t* entry = block.data() + k * kIndexEntrySize;
            m_entries.push_back(
                Entry{static_cast<std::uint32_t>(entryPosition), ReadBe32(entry), entry[4], 0, 0});
        }
        // A block that yields nothing fails too, so a block pointing back at itself cannot
        // keep the reading going for ever.
        if (read == 0 || m_entries.size() != blockCount) {
            return kCardBadIndex;
        }
        if (next == 0) {
            return kCardLoaded;
        }
        position = next;
    }
}

int CCardDatabase::MeasureExtents() {
    // Every extent must hold at least one byte: offsets have to increase along the index and
    // the last one has to lie inside the file.
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::uint64_t end =
            i + 1 < m_entries.size() ? m_entries[i + 1].recordOffset : m_fileLength;
        if (end <= m_entries[i].recordOffset) {
            return kCardReadFailed;
        }
        m_entries[i].size = end - m_entries[i].recordOffset;
    }
    return kCardLoaded;
}

std::uint16_t CCardDatabase::Version() const {
    return m_header.size() >= kCardHeaderSize ? ReadBe16(m_header.data() + 34) : 0;
}

std::uint64_t CCardDatabase::ExtentSize(std::uint32_t i) const {
    return i < m_entries.size() ? m_entries[i].size : 0;
}

std::optional<CardRecord> CCardDatabase::Record(std::uint32_t i) {
    if (i >= m_entries.size() || !m_file || m_readFailed) {
        return std::nullopt;
    }
    const auto size =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_entries[i].size, kCardLargestRecord));
    const auto extent = Window(m_entries[i].recordOffset, size);
    // The extent was measured against the size at loading; a file that has shrunk since, or a
    // card that stops answering, gives a short or failed read.
    if (extent.size() != size) {
        m_readFailed = true;
        return std::nullopt;
    }
    return CardRecord::Parse(extent);
}

std::span<const std::uint8_t> CCardDatabase::Window(std::uint64_t offset, std::size_t size) {
    const bool inside = offset >= m_windowStart && offset - m_windowStart <= m_window.size() &&
                        m_window.size() - (offset - m_windowStart) >= size;
    if (!inside) {
        m_window.resize(std::max(kWindowSize, size));
        m_windowStart = offset;
        const auto read = m_file->ReadAt(offset, m_window);
        m_window.resize(read.value_or(0));
        if (m_window.size() < size) {
            return {};
        }
    }
    return std::span(m_window).subspan(static_cast<std::size_t>(offset - m_windowStart), size);
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

SystemDone CCardDatabase::SaveFlags() {
    std::vector<BytePatch> patches;
    for (Entry& entry : m_entries) {
        if ((entry.changed & 1) != 0) {
            patches.push_back({std::uint64_t{entry.indexPosition} + 4, entry.flags});
        }
        entry.changed = 0;
    }
    // The bytes are written through a handle of their own. The reading one is closed first:
    // on Windows it would keep a file deleted meanwhile in being, and the write would not fail.
    EndReading();
    // A flags byte that never reaches the card would bring the record back next time.
    return patches.empty() ? SystemDone() : PatchFileBytes(m_path, patches);
}

void CCardDatabase::Release() {
    m_entries.clear();
    m_file.reset();
    m_window = {};
    m_windowStart = 0;
    m_readFailed = false;
    m_header.clear();
    m_fileLength = 0;
    m_modified = false;
}

}  // namespace zep
