#pragma once
// One archive taken from a card on its way to a raw file: its bytes are gathered in memory and
// keyed as they come, and a file is made only when the archive outgrows the gathering or turns
// out to be new. An archive the import history knows then costs no file at all, and a large
// one still costs no more memory than the gathering.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "core/archive_key.h"
#include "platform/publish_file.h"

namespace zep {

class ArchiveOutput {
public:
    explicit ArchiveOutput(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    // False when the output file had to be made or written and could not be.
    bool Append(std::span<const std::uint8_t> bytes);
    // The key of everything appended; once, when the archive is complete.
    ArchiveKey Key() { return m_key.Finish(); }
    // The archive as a finished file of the folder, ready to be published; nullopt when it
    // could not be made or written in full.
    std::optional<PendingFile> Finish();
    // Why the output file could not be made or written (unknown while it could).
    SystemError Failure() const { return m_file ? m_file->Failure() : m_createFailure; }

private:
    bool WriteGathered();

    std::filesystem::path m_folder;
    std::vector<std::uint8_t> m_gathered;
    std::optional<PendingFile> m_file;
    SystemError m_createFailure;
    ArchiveKeyBuilder m_key;
};

}  // namespace zep
