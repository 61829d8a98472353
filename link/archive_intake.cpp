// A device's unit: looked up in the import history, saved if new, recorded once on disk.
#include "link/archive_intake.h"

#include "core/worker_lines.h"

namespace zep {

SaveResult ArchiveIntake::Take(std::span<const std::uint8_t> content,
                               const std::string& extension) {
    ImportHistory* history = m_env.history;
    const ArchiveKey key = history ? ArchiveKeyOf(content) : ArchiveKey{};
    if (history && m_params.importOnce && history->Contains(key)) {
        ++m_known;
        return SaveResult::Known;
    }
    const SaveResult saved = SaveRawFile(m_env.programFolder, extension, content, m_env.clock);
    // Only a raw file whose name is on disk may be recorded: a crash before then must bring the
    // unit again, never lose it.
    if (history && saved == SaveResult::Saved) {
        history->Record(std::span(&key, 1), m_env.report);
    }
    return saved;
}

void ArchiveIntake::ReportKnown() const {
    if (m_known > 0) {
        m_env.report.LogUpper(KnownArchivesLine(m_known));
    }
}

}  // namespace zep
