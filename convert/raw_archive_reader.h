#pragma once
// Reader of meter archives: ".bia" raw files and ".zep" files on flash cards, which share one
// layout: "tess", a header block of key=value lines with a check word, then records of
// L, 'T', kind, data and a check word, all numbers least significant byte first.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/regular_file.h"

namespace zep {

// One record as it stands in the file: L (2 bytes), 'T', kind, L - 4 data bytes, check word.
struct MeterRecord {
    std::span<const std::uint8_t> bytes;  // L + 2 bytes

    std::uint16_t Length() const { return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)); }
    std::uint8_t Kind() const { return bytes[3]; }
    std::span<const std::uint8_t> Data() const { return bytes.subspan(4, Length() - 4u); }
};

class RawArchiveReader {
public:
    RawArchiveReader() = default;

    // True when the file header and the header block are valid; the reader then stands at the
    // first record.
    bool Open(const std::filesystem::path& path);
    // The header text up to its NUL; empty without a loaded header.
    std::string GetHeaderText() const;
    // The concatenated values of every occurrence of the key followed by "=".
    std::string GetValue(std::string_view key) const;
    // The next valid record, or nullopt at the end of the file or at the first damaged record;
    // every later call gives nullopt too. The record stays valid until the next ReadRecord,
    // Open or destruction.
    std::optional<MeterRecord> ReadRecord();
    // Position x 100 / length, at most 100; 0 without a loaded header.
    int GetProgress() const;

    // Why the last Open failed and where and why the last ReadRecord stopped, for the
    // inspection tool; the conversion treats every failure alike.
    enum class OpenFailure {
        None,
        CannotOpen,
        ShortFileHeader,
        BadSignature,
        BadHeaderLength,
        ShortHeaderBlock,
        MissingTerminator,
        BadHeaderCheck
    };
    enum class StopReason {
        None,
        EndOfFile,
        ZeroLength,
        ShortLength,
        Truncated,
        NoT,
        BadCheck,
        ReadError
    };
    OpenFailure LastOpenFailure() const { return m_openFailure; }
    // True when reading stopped exactly at the end of the file behind a whole record; false
    // after damage, a record cut short or stray bytes, which the caller must not take for an
    // archive read in full.
    bool EndedCleanly() const { return m_lastStop == StopReason::EndOfFile && m_cleanEnd; }
    StopReason LastStop() const { return m_lastStop; }
    std::uint64_t Position() const { return m_position; }
    std::uint64_t FileLength() const { return m_fileLength; }

private:
    std::size_t ReadBytes(std::uint8_t* into, std::size_t count);
    OpenFailure ReadHeader(const std::filesystem::path& path);

    std::optional<OpenedRegularFile> m_file;
    bool m_readError = false;
    std::vector<std::uint8_t> m_header;  // 8 file-header bytes then the N header-block bytes
    std::vector<std::uint8_t> m_record;
    struct ReadAhead {
        std::vector<std::uint8_t> bytes;
        std::size_t position = 0;
        std::size_t end = 0;
    } m_readAhead;
    std::uint64_t m_position = 0;
    std::uint64_t m_fileLength = 0;
    OpenFailure m_openFailure = OpenFailure::None;
    StopReason m_lastStop = StopReason::None;
    bool m_cleanEnd = false;
};

}  // namespace zep
