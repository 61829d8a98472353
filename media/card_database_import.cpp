// Assembles the meter archives of one card database into ".bin" raw files, publishes them as one
// batch and only then lets the imported records leave the card.
#include "media/card_database_import.h"

#include <climits>
#include <optional>
#include <vector>

#include "media/archive_output.h"
#include "media/card_database.h"
#include "media/card_file_name.h"
#include "platform/publish_batch.h"

namespace zep {

namespace {

// An archive whose volumes are all written, waiting in the batch to be published: its name
// stamp, its key and the entries that may be marked deleted once it is.
struct FinishedArchive {
    std::string stamp;
    ArchiveKey key;
    std::vector<std::uint32_t> entries;
};

// Walks the entries of one database and assembles its chains. Outputs are finished as their
// chains end and published together at the end, as one batch; the entries of an archive are
// marked only when it is published, the names are on disk and it is recorded in the import
// history, so the marks of a discarded chain never reach the card. An archive the history
// knows is not written at all; with deletion on its entries are marked as if just imported.
class ChainAssembler {
public:
    ChainAssembler(CCardDatabase& database, const MediaImportContext& context)
        : m_database(database),
          m_context(context),
          m_report(context.env.report),
          m_batch(context.env.programFolder) {}

    void AssembleAll();
    // Fails when archives were published but their names may not be on disk: nothing is then
    // marked, and the records stay on the card.
    SystemDone PublishAndMark();

private:
    enum class Step { Next, Stop };
    Step HandleEntry(std::uint32_t i);
    Step StartArchive(std::uint32_t i, const CardRecord& record);
    Step ContinueArchive(std::uint32_t i, const CardRecord& record, long volume);
    Step Append(std::uint32_t i, std::span<const std::uint8_t> data, long volume);
    bool FinishOutput();
    void DropOutput();
    // The write error line, and the reason: the one given, or that of the output at hand.
    Step WriteFailure(SystemError reason = {});

    CCardDatabase& m_database;
    const MediaImportContext& m_context;
    WorkerReport& m_report;
    std::optional<ArchiveOutput> m_output;
    std::string m_outputStamp;
    std::vector<std::uint32_t> m_outputEntries;
    PublishBatch m_batch;
    std::vector<FinishedArchive> m_finished;    // one per file of the batch
    std::vector<std::uint32_t> m_knownEntries;  // of archives imported before
    bool m_skipping = false;
    std::optional<long> m_lastVolume;
};

void ChainAssembler::AssembleAll() {
    const std::uint32_t count = m_database.Count();
    for (std::uint32_t i = 0; i < count; ++i) {
        m_report.SetBar1(static_cast<int>(100ull * (i + 1) / count), std::nullopt);
        if (HandleEntry(i) == Step::Stop) {
            return;
        }
    }
    if (!FinishOutput()) {
        WriteFailure();
    }
}

ChainAssembler::Step ChainAssembler::HandleEntry(std::uint32_t i) {
    const auto record = m_database.Record(i);
    if (m_database.ReadFailed()) {
        return Step::Stop;  // the caller sees it and lets nothing of this database go on
    }
    if (!record || !record->CheckWordMatches()) {
        m_report.LogUpper(kHeaderErrorLine);
        m_lastVolume.reset();
        return Step::Next;
    }
    if ((m_database.Flags(i) & kCardFlagsAbsent) != 0) {
        m_skipping = true;
        return Step::Next;
    }
    const long volume = record->Volume();
    return volume == 1 ? StartArchive(i, *record) : ContinueArchive(i, *record, volume);
}

ChainAssembler::Step ChainAssembler::StartArchive(std::uint32_t i, const CardRecord& record) {
    if (!FinishOutput()) {
        return WriteFailure();
    }
    if (m_context.SelectionInForce() &&
        !MatchesSelection(m_context.params.selection, record.StoredCheckAsKey(), kRecordKeyMask)) {
        m_skipping = true;
        m_lastVolume = 1;
        return Step::Next;
    }
    m_skipping = false;
    m_output.emplace(m_context.env.programFolder);
    m_outputStamp = OutputStamp(m_context.env);
    // The first volume gives the archive its title: H, the title strings and the payload.
    return Append(i, record.Checked(), 1);
}

ChainAssembler::Step ChainAssembler::ContinueArchive(std::uint32_t i, const CardRecord& record,
                                                     long volume) {
    if (m_skipping) {
        m_lastVolume = volume;
        return Step::Next;
    }
    if (!m_lastVolume || *m_lastVolume == LONG_MAX || volume != *m_lastVolume + 1) {
        // The archive being assembled lacks a volume: it is dropped, never published.
        DropOutput();
        m_report.LogUpper(kChainErrorLine);
        return WriteFailure();
    }
    if (!m_output) {
        return WriteFailure();
    }
    return Append(i, record.Payload(), volume);
}

ChainAssembler::Step ChainAssembler::Append(std::uint32_t i, std::span<const std::uint8_t> data,
                                            long volume) {
    if (!m_output->Append(data)) {
        return WriteFailure();
    }
    if (m_context.params.deleteData) {
        m_outputEntries.push_back(i);
    }
    m_lastVolume = volume;
    return Step::Next;
}

bool ChainAssembler::FinishOutput() {
    if (!m_output) {
        return true;
    }
    const ArchiveKey key = m_output->Key();
    if (m_context.PassOver(key)) {
        m_knownEntries.insert(m_knownEntries.end(), m_outputEntries.begin(), m_outputEntries.end());
        DropOutput();
        return true;
    }
    auto file = m_output->Finish();
    if (!file) {
        return false;
    }
    m_batch.Add(std::move(*file));
    m_finished.push_back({m_outputStamp, key, std::move(m_outputEntries)});
    m_output.reset();
    m_outputEntries.clear();
    return true;
}

void ChainAssembler::DropOutput() {
    m_output.reset();  // removes what was written of it
    m_outputEntries.clear();
}

ChainAssembler::Step ChainAssembler::WriteFailure(SystemError reason) {
    if (!reason.Known() && m_output) {
        reason = m_output->Failure();
    }
    DropOutput();
    m_report.LogUpper(kWriteErrorLine);
    LogReasonUpper(m_report, reason, m_context.env.programFolder);
    return Step::Stop;
}

SystemDone ChainAssembler::PublishAndMark() {
    // One flush for all archives instead of one per archive; should it fail, each archive is
    // flushed on its own as it is published.
    m_batch.FlushContents();
    std::vector<std::uint32_t> published;
    std::vector<ArchiveKey> keys;
    for (std::size_t k = 0; k < m_finished.size(); ++k) {
        const auto name = PublishOutput(m_batch.File(k), m_finished[k].stamp, ".bin", m_context);
        if (!name) {
            m_report.LogUpper(kWriteErrorLine);
            LogReasonUpper(m_report, m_batch.File(k).Failure(), m_context.env.programFolder);
            continue;
        }
        const auto& entries = m_finished[k].entries;
        published.insert(published.end(), entries.begin(), entries.end());
        keys.push_back(m_finished[k].key);
    }
    // The names must be on disk as well before the archives are recorded and the records leave
    // the card.
    if (!keys.empty()) {
        if (auto flushed = m_batch.FlushNames(); !flushed) {
            return flushed;
        }
        m_context.Record(keys);
    }
    published.insert(published.end(), m_knownEntries.begin(), m_knownEntries.end());
    for (const std::uint32_t i : published) {
        m_database.Mark(i, kCardFlagDeleted);
    }
    return {};
}

}  // namespace

void ImportCardDatabase(const CardFile& file, const MediaImportContext& context) {
    CCardDatabase database;
    if (database.Load(file.path) != kCardLoaded) {
        return;
    }
    WorkerReport& report = context.env.report;
    if (database.Version() != 0) {
        report.LogUpper(kUnsupportedVersionLine);
        return;
    }
    ChainAssembler assembler(database, context);
    assembler.AssembleAll();
    if (database.ReadFailed()) {
        // Archives finished before the failure are dropped with the rest: marks could not
        // reach a card that stopped answering, and the next insertion would bring them twice.
        report.LogUpper(CardLine(kReadFailedLine, file));
        return;
    }
    database.EndReading();
    if (const auto marked = assembler.PublishAndMark(); !marked) {
        report.LogUpper(CardLine(kRecordsKeptLine, file));
        LogReasonUpper(report, marked.Error(), context.env.programFolder);
        return;
    }
    if (!database.IsModified()) {
        return;
    }
    // What fails to leave the card here would be imported again at the next insertion.
    if (database.CountFlagged(kCardFlagDeleted) == database.Count()) {
        const auto removed = RemoveCardFile(file);
        report.LogUpper(removed ? std::string(kAllDeletedLine) : CardLine(kNotDeletedLine, file));
        LogReasonUpper(report, removed.Error(), file.path);
    } else {
        report.LogUpper(kSavingLine);
        if (const auto saved = database.SaveFlags(); !saved) {
            report.LogUpper(CardLine(kNotSavedLine, file));
            LogReasonUpper(report, saved.Error(), file.path);
        }
    }
}

}  // namespace zep
