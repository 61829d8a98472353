// Gathering an archive of a card, keyed as it comes, into a file only when needed.
#include "media/archive_output.h"

namespace zep {

namespace {

// An archive is gathered up to this much before a file is made and written on, so a long
// chain costs this much memory and not its size, while a short one goes to disk in one call.
constexpr std::size_t kGatherLimit = std::size_t{1} << 20;

}  // namespace

bool ArchiveOutput::Append(std::span<const std::uint8_t> bytes) {
    m_key.Add(bytes);
    m_gathered.insert(m_gathered.end(), bytes.begin(), bytes.end());
    return m_gathered.size() < kGatherLimit || WriteGathered();
}

bool ArchiveOutput::WriteGathered() {
    if (!m_file) {
        auto created = PendingFile::Create(m_folder);
        if (!created) {
            m_createFailure = created.Error();
            m_gathered.clear();
            return false;
        }
        m_file = std::move(*created);
    }
    const bool written = m_file->Write(m_gathered) == m_gathered.size();
    m_gathered.clear();
    return written;
}

std::optional<PendingFile> ArchiveOutput::Finish() {
    if (!WriteGathered() || !m_file->Finish()) {
        return std::nullopt;
    }
    return std::move(m_file);
}

}  // namespace zep
