#pragma once
// The database file a handheld device keeps on a flash card: a 72-byte header with the
// signature "Tess" at offset 64, an index of 8-byte entries (record offset, flags) in blocks,
// and records of title strings and payload, each with a check word. The index is read at
// loading and the records as they are asked for, through a window of 1 MiB, so that a card of
// 200 MB costs one read per megabyte; only the flags bytes of the index are ever written back.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/regular_file.h"

namespace zep {

// Load results. Callers treat every non-zero code alike.
enum CardLoadResult : int {
    kCardLoaded = 0,
    kCardCannotOpen = 1,
    kCardTooShort = 2,  // shorter than the header
    kCardBadSignature = 3,
    kCardBadIndex = 4,    // a block yields no entries, or counts disagree, or too many entries
    kCardSeekFailed = 5,  // kept for its number; reading by offset cannot fail to seek
    kCardReadFailed = 6,  // the file cannot be read; also offsets that do not increase
};

// Record flags.
inline constexpr std::uint8_t kCardFlagDeleted = 0x10;  // imported and deleted
inline constexpr std::uint8_t kCardFlagVoid = 0x80;
inline constexpr std::uint8_t kCardFlagsAbsent = kCardFlagDeleted | kCardFlagVoid;

inline constexpr std::size_t kCardHeaderSize = 72;
inline constexpr std::size_t kCardMaxEntries = 65536;
inline constexpr std::string_view kCardSignature = "Tess";
// L is 16 bits and a record's data end at offset L + 9: no record needs more of its extent.
inline constexpr std::size_t kCardLargestRecord = 0xFFFF + 10;

// A record whose lengths fit its extent and whose title area holds at least the six strings
// 0 to 5: L (offset 8, big-endian) counts the bytes from offset 10 to the end of the data, the
// check word at 10 covers the L - 2 bytes from 12, H at 12 is the title area's length.
struct CardRecord {
    std::vector<std::uint8_t> bytes;  // the extent from record byte 0, at most its largest record

    std::uint16_t Length() const;            // L
    std::uint16_t StoredCheckBe() const;     // the check word read big-endian, for the CRC test
    std::uint16_t StoredCheckAsKey() const;  // the two bytes read little-endian, for keys
    std::span<const std::uint8_t> Checked() const;  // the L - 2 bytes the check word covers
    std::span<const std::uint8_t> TitleArea() const;
    std::span<const std::uint8_t> Payload() const;
    bool CheckWordMatches() const;
    // Title string n, as stored (Windows-1251); empty beyond the area.
    std::string Title(int n) const;
    // Title string 5 converted as a decimal number; 1 marks a first volume.
    long Volume() const;

    // The record of an extent, or nullopt when the lengths or the title area do not fit.
    static std::optional<CardRecord> Parse(std::span<const std::uint8_t> extent);
    // The same for an extent read for the record, which it keeps without a copy.
    static std::optional<CardRecord> Parse(std::vector<std::uint8_t>&& extent);
};

class CCardDatabase {
public:
    CCardDatabase() = default;

    // Reads the header and the index; 0 when they are loaded, and the file then stays open for
    // the records until EndReading or Release. signature: the 4 bytes expected at offset 64.
    // Only a plain file is read: a link is not followed, a FIFO or device is refused.
    int Load(const std::filesystem::path& path, std::string_view signature = kCardSignature);

    std::uint16_t Version() const;
    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_entries.size()); }
    // The record of entry i, read from the file; nullopt when i is not below Count(), the
    // record is malformed (its lengths do not fit its extent or its title area has fewer than
    // six strings) or it cannot be read (ReadFailed() then tells).
    std::optional<CardRecord> Record(std::uint32_t i);
    // True once a record could not be read: the card failed or was pulled, and what was read of
    // this database must not be taken for all of it.
    bool ReadFailed() const { return m_readFailed; }
    // The length of entry i's extent in the file, up to the next record or the end of the file.
    std::uint64_t ExtentSize(std::uint32_t i) const;
    // Closes the file; the index and the flags stay, for SaveFlags.
    void EndReading() {
        m_file.reset();
        m_window = {};
    }
    std::uint8_t Flags(std::uint32_t i) const;
    bool Mark(std::uint32_t i, std::uint8_t bits);
    std::uint32_t CountFlagged(std::uint8_t mask) const;
    bool IsModified() const { return m_modified; }
    // Writes the flags byte of every changed entry back into the file, nothing else, and flushes
    // them to the medium; reading ends here. Done when nothing had changed; fails, with the
    // system's reason, when the file cannot be written (write-protected, pulled or full card).
    SystemDone SaveFlags();
    std::uint64_t FileLength() const { return m_fileLength; }
    // Position of entry i's 8 index bytes and its record's offset in the file.
    std::uint32_t IndexPosition(std::uint32_t i) const;
    std::uint32_t RecordOffset(std::uint32_t i) const;
    void Release();

private:
    struct Entry {
        std::uint32_t indexPosition = 0;
        std::uint32_t recordOffset = 0;
        std::uint8_t flags = 0;
        std::uint8_t changed = 0;
        std::uint64_t size = 0;  // of the extent
    };
    int ReadIndex();
    int MeasureExtents();
    // The bytes [offset, offset + size) of the file, from the read window, which is moved on
    // (one read) when they lie outside it. Empty when the file cannot give them all.
    std::span<const std::uint8_t> Window(std::uint64_t offset, std::size_t size);

    std::vector<std::uint8_t> m_header;
    std::filesystem::path m_path;
    std::uint64_t m_fileLength = 0;
    std::vector<Entry> m_entries;
    std::optional<OpenedRegularFile> m_file;
    // Records are read in windows of many records each, not one read per record.
    std::vector<std::uint8_t> m_window;
    std::uint64_t m_windowStart = 0;
    bool m_readFailed = false;
    bool m_modified = false;
};

}  // namespace zep
