// A device's unit: looked up in the import history, saved if new, recorded once on disk.
#include "link/archive_intake.h"

#include "core/worker_lines.h"

namespace zep {

SaveOutcome ArchiveIntake::Take(std::span<const std::uint8_t> content,
                                const std::string& extension) {
    ImportHistory* history = m_env.history;
    const ArchiveKey key = history ? ArchiveKeyOf(content) : ArchiveKey{};
    if (history && m_params.importOnce && history->Contains(key)) {
        ++m_known;
        if (m_env.rawFiles) {
            m_env.rawFiles->PassedOver(content);
        }
        return {SaveResult::Known, {}};
    }
    const SaveOutcome saved =
        SaveRawFile(m_env.programFolder, extension, content, m_env.clock, m_env.rawFiles);
    // Only a raw file whose name is on disk may be recorded: a crash before then must bring the
    // unit again, never lose it.
    if (history && saved.result == SaveResult::Saved) {
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
