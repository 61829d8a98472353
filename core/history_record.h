#pragma once
// The import history file (zepimport.history, docs/history.md): a 16-byte header, then entries of
// 52 bytes each, appended one after another and never changed in place. An entry ends in its
// own CRC-32, so an entry torn by a crash in the middle of an append, or the zeros a file system
// may leave after a power cut, are told from whole ones.
//
// Header: "ZEPIMHST", version (32-bit little-endian), entry size (32-bit little-endian).
// Entry, numbers little-endian: kind (1 byte), 0 (1 byte), output number (16 bits), time
// (32 bits, seconds since 1970 UTC), archive length (64 bits), BLAKE2b-256 digest (32 bytes),
// CRC-32 of the 48 bytes before it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "core/archive_key.h"

namespace zep {

inline constexpr std::size_t kHistoryHeaderSize = 16;
inline constexpr std::size_t kHistoryEntrySize = 52;
inline constexpr std::uint32_t kHistoryVersion = 1;

enum class HistoryKind : std::uint8_t {
    Imported = 1,         // an archive taken from a card or a device; its raw file is on disk
    OutputPublished = 2,  // output number `output` of a raw file's conversion is on disk
    ConversionEnded = 3,  // the raw file has gone (or been renamed out of the way)
};

struct HistoryEntry {
    HistoryKind kind = HistoryKind::Imported;
    std::uint16_t output = 0;
    std::uint32_t time = 0;
    ArchiveKey key;  // of the archive, or of the raw file for the conversion's entries
};

using HistoryEntryBytes = std::array<std::uint8_t, kHistoryEntrySize>;

std::array<std::uint8_t, kHistoryHeaderSize> HistoryHeader();

enum class HistoryHeaderCheck {
    Ours,
    Foreign,  // another file, or a damaged header
    Newer,    // written by a later version of the program, whose entries this one cannot read
};
HistoryHeaderCheck CheckHistoryHeader(std::span<const std::uint8_t> header);

HistoryEntryBytes EncodeHistoryEntry(const HistoryEntry& entry);
// nullopt when the check word does not match or a field holds what no entry holds.
std::optional<HistoryEntry> DecodeHistoryEntry(std::span<const std::uint8_t> bytes);

}  // namespace zep
