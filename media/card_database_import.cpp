// Assembles the meter archives of one card database into ".bin" raw files, publishes them as one
// batch and only then lets the imported records leave the card.
#include "media/card_database_import.h"

#include <climits>
#include <optional>
#include <vector>

#include "media/card_database.h"
#include "media/card_file_name.h"
#include "platform/publish_batch.h"

namespace zep {

namespace {

// An archive is gathered up to this much and then written on, so a long chain costs this
// much memory and not its size, while a short one still goes to disk in one call.
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;

// An archive whose volumes are all written, waiting in the batch to be published: its name
// stamp and the entries that may be marked deleted once it is.
struct FinishedArchive {
    std::string stamp;
    std::vector<std::uint32_t> entries;
};

// Walks the entries of one database and assembles its chains. Outputs are finished as their
// chains end and published together at the end, as one batch; the entries of an archive are
// marked only when it is published and the names are on disk, so the marks of a discarded
// chain never reach the card.
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
    bool WriteGathered();
    bool FinishOutput();
    void DropOutput();
    // The write error line, and the reason: the one given, or that of the output at hand.
    Step WriteFailure(SystemError reason = {});

    CCardDatabase& m_database;
    const MediaImportContext& m_context;
    WorkerReport& m_report;
    std::optional<PendingFile> m_output;
    // Data of the archive being assembled not yet written to its output.
    std::vector<std::uint8_t> m_gathered;
    std::string m_outputStamp;
    std::vector<std::uint32_t> m_outputEntries;
    PublishBatch m_batch;
    std::vector<FinishedArchive> m_finished;  // one per file of the batch
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
    auto created = PendingFile::Create(m_context.env.programFolder);
    m_outputStamp = OutputStamp(m_context.env);
    if (!created) {
        return WriteFailure(created.Error());
    }
    m_output = std::move(*created);
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
    m_gathered.insert(m_gathered.end(), data.begin(), data.end());
    if (m_gathered.size() >= kWriteChunk && !WriteGathered()) {
        return WriteFailure();
    }
    if (m_context.params.deleteData) {
        m_outputEntries.push_back(i);
    }
    m_lastVolume = volume;
    return Step::Next;
}

bool ChainAssembler::WriteGathered() {
    const bool written = m_output->Write(m_gathered) == m_gathered.size();
    m_gathered.clear();
    return written;
}

bool ChainAssembler::FinishOutput() {
    if (!m_output) {
        return true;
    }
    if (!WriteGathered() || !m_output->Finish()) {
        return false;
    }
    m_batch.Add(std::move(*m_output));
    m_finished.push_back({m_outputStamp, std::move(m_outputEntries)});
    m_output.reset();
    m_outputEntries.clear();
    return true;
}

void ChainAssembler::DropOutput() {
    m_output.reset();  // removes what was written of it
    m_outputEntries.clear();
    m_gathered.clear();
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
    for (std::size_t k = 0; k < m_finished.size(); ++k) {
        const auto name = PublishOutput(m_batch.File(k), m_finished[k].stamp, ".bin", m_context);
        if (!name) {
            m_report.LogUpper(kWriteErrorLine);
            LogReasonUpper(m_report, m_batch.File(k).Failure(), m_context.env.programFolder);
            continue;
        }
        const auto& entries = m_finished[k].entries;
        published.insert(published.end(), entries.begin(), entries.end());
    }
    // The names must be on disk as well before the records leave the card.
    if (published.empty()) {
        return {};
    }
    if (auto flushed = m_batch.FlushNames(); !flushed) {
        return flushed;
    }
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
