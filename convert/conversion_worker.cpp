// The conversion worker: once a second the settled raw files of the program folder, converted or
// moved.
#include "convert/conversion_worker.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <vector>

#include "convert/assembled_conversion.h"
#include "convert/conversion_lines.h"
#include "convert/meter_conversion.h"
#include "convert/printer_conversion.h"
#include "core/path_text.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

constexpr auto kPassInterval = std::chrono::milliseconds(1000);

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

fs::path WithDot(fs::path path) {
    path += ".";
    return path;
}

SystemDone DoneOr(const std::error_code& error) {
    return error ? SystemDone(FromErrorCode(error)) : SystemDone();
}

// Renames without replacing a file of the new name; when the name is taken, "~1", "~2" ... are
// tried after it.
SystemDone RenameKeeping(const fs::path& from, const fs::path& to) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path target = to;
        if (attempt != 0) {
            target += "~" + std::to_string(attempt);
        }
        if (Exists(target)) {
            continue;
        }
        std::error_code error;
        fs::rename(from, target, error);
        return DoneOr(error);
    }
    return SystemError{};
}

// Done when the name is free afterwards, also when another program took the file first.
SystemDone Remove(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
    return DoneOr(error);
}

// The outputs of one raw file's conversion in the import history, under the key of the raw
// file's name and content.
class HistoryLedger final : public OutputLedger {
public:
    // None without a history, or when the raw file cannot be read (its conversion fails then).
    static std::optional<HistoryLedger> For(const fs::path& path, ImportHistory* history,
                                            WorkerReport& report) {
        const auto key =
            history ? ArchiveKeyOfFile(path, ArchiveKeyBuilder(PathToUtf8(path.filename())))
                    : std::nullopt;
        if (!key) {
            return std::nullopt;
        }
        return HistoryLedger(*history, *key, report);
    }

    bool Published(int output) const override {
        return std::binary_search(m_published.begin(), m_published.end(), output);
    }
    void Record(int output) override {
        m_history.RecordOutput(m_rawFile, static_cast<std::uint16_t>(output), m_report);
    }
    // The raw file has left its name.
    void End() { m_history.EndConversion(m_rawFile, m_report); }

private:
    HistoryLedger(ImportHistory& history, const ArchiveKey& rawFile, WorkerReport& report)
        : m_history(history),
          m_rawFile(rawFile),
          m_report(report),
          m_published(history.PublishedOutputs(rawFile)) {}

    ImportHistory& m_history;
    ArchiveKey m_rawFile;
    WorkerReport& m_report;
    std::vector<std::uint16_t> m_published;  // ascending
};

}  // namespace

ConversionWorker::ConversionWorker(Config config) : m_config(std::move(config)) {}

void ConversionWorker::Start() {
    if (m_thread.joinable()) {
        return;
    }
    m_stopping = false;
    m_thread = std::thread([this] { Run(); });
}

void ConversionWorker::RequestStop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
}

void ConversionWorker::Stop() {
    RequestStop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ConversionWorker::Run() {
    while (RunPass()) {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, kPassInterval, [this] { return m_stopping.load(); })) {
            return;
        }
    }
}

bool IsRawFileName(const std::string& name) {
    // "*.bi?" as the original platform matches it (letter case does not matter), and one of the
    // three kinds by its last letter.
    if (name.size() < 4) {
        return false;
    }
    const std::string tail = name.substr(name.size() - 4);
    const auto lower = [&tail](std::size_t i) {
        return std::tolower(static_cast<unsigned char>(tail[i]));
    };
    return tail[0] == '.' && lower(1) == 'b' && lower(2) == 'i' &&
           (lower(3) == 'a' || lower(3) == 'n' || lower(3) == 'l');
}

std::optional<ConversionFolders> ConversionFoldersOf(const DispatchValues& values) {
    const auto import = values.GetValue(kVelmoraSection, "Import");
    if (!import || import->empty()) {
        return std::nullopt;
    }
    ConversionFolders folders{PathFromUtf8(*import), PathFromUtf8(*import)};
    const auto installTo = values.GetValue(kZuvoSection, "InstallTo");
    if (installTo && !installTo->empty()) {
        folders.printer = PathFromUtf8(*installTo) / "Base";
    }
    return folders;
}

bool ConversionWorker::Configure() {
    if (m_setup != Setup::NotDone) {
        return m_setup == Setup::Ready;
    }
    const auto folders = ConversionFoldersOf(m_config.values);
    if (!folders) {
        m_config.report.LogUpper(kImportFolderMissingLine);
        if (auto hint = ForeignEncodingLine(m_config.values, kVelmoraSection)) {
            m_config.report.LogUpper(std::move(*hint));
        }
        m_setup = Setup::Failed;
        return false;
    }
    m_importFolder = folders->import;
    m_printerFolder = folders->printer;
    if (m_printerFolder == m_importFolder) {
        if (auto hint = ForeignEncodingLine(m_config.values, kZuvoSection)) {
            // Printer protocols would go to the import folder without a word.
            m_config.report.LogUpper(std::move(*hint));
        }
    }
    m_setup = Setup::Ready;
    return true;
}

bool ConversionWorker::RunPass() {
    if (!Configure()) {
        return false;
    }
    Pass();
    m_config.report.SetBar2(0, "...");
    return true;
}

void ConversionWorker::Pass() {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(m_config.scanFolder, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path& path = it->path();
        const std::string name = PathToUtf8(path.filename());
        if (IsRawFileName(name) && !m_passedOver.contains(path)) {
            found.push_back(path);
        }
    }
    std::vector<fs::path> settled = SettledFiles(found);
    if (settled.empty()) {
        return;
    }
    // Printer protocols need no driver: taken first, they never wait for one that takes long.
    std::stable_partition(settled.begin(), settled.end(), [](const fs::path& path) {
        return RawKindOf(PathToUtf8(path.filename())) == RawKind::PrinterProtocol;
    });
    m_config.convertBusy = 1;
    for (const fs::path& path : settled) {
        if (m_stopping) {
            break;
        }
        HandleRawFile(path);
    }
    m_config.convertBusy = 0;
}

std::vector<fs::path> ConversionWorker::SettledFiles(const std::vector<fs::path>& found) {
    std::map<fs::path, FileProbe> seen;
    std::vector<fs::path> settled;
    for (const fs::path& path : found) {
        const FileProbe probe = ProbeFile(path);
        if (probe.kind == FileKind::Other) {
            // A link could publish any file it leads to; a FIFO or device would block the pass.
            m_passedOver.insert(path);
            m_config.report.LogUpper(NotAPlainFileLine(PathToUtf8(path.filename())));
            continue;
        }
        if (probe.kind != FileKind::Regular) {
            continue;  // gone meanwhile, or a folder
        }
        // A file another program still writes in place changes between passes; it is taken
        // once it has stayed as it was for a whole pass.
        const auto previous = m_lastSeen.find(path);
        if (previous != m_lastSeen.end() && previous->second == probe) {
            settled.push_back(path);
        }
        seen.emplace(path, probe);
    }
    m_lastSeen = std::move(seen);
    return settled;
}

ConversionWorker::RawKind ConversionWorker::RawKindOf(const std::string& name) {
    switch (std::toupper(static_cast<unsigned char>(name.back()))) {
        case 'A':
            return RawKind::MeterArchive;
        case 'N':
            return RawKind::AssembledArchive;
        case 'L':
            return RawKind::PrinterProtocol;
        default:
            return RawKind::None;
    }
}

void ConversionWorker::HandleRawFile(const fs::path& path) {
    const std::string name = PathToUtf8(path.filename());
    SystemDone gone = SystemError{};
    const RawKind kind = RawKindOf(name);
    switch (kind) {
        case RawKind::MeterArchive:
        case RawKind::AssembledArchive:
            gone = ConvertArchive(path, kind);
            break;
        case RawKind::PrinterProtocol:
            gone = MovePrinterFile(path);
            break;
        case RawKind::None:
            return;
    }
    if (!gone) {
        KeepOutOfLaterPasses(path, gone.Error());
    }
}

SystemDone ConversionWorker::ConvertArchive(const fs::path& path, RawKind kind) {
    m_config.report.SetBar2(0, PathToUtf8(path.filename()));
    auto ledger = HistoryLedger::For(path, m_config.history, m_config.report);
    ConversionContext context{m_config.report, m_config.drivers, m_config.clock, &m_stopping};
    context.ledger = ledger ? &*ledger : nullptr;
    std::string label;
    const bool converted =
        kind == RawKind::MeterArchive
            ? ConvertMeterArchive(path, m_importFolder, context, label)
            : ConvertAssembledArchive(path, m_importFolder, m_printerFolder, context, label);
    if (context.stopped) {
        // Not the file's fault: it is converted at the next start, past the outputs on record.
        return {};
    }
    SystemDone gone = LeaveName(path, converted, label);
    if (gone && ledger) {
        ledger->End();
    }
    return gone;
}

SystemDone ConversionWorker::LeaveName(const fs::path& path, bool converted,
                                       const std::string& label) {
    // The folder stays as the system gave it; only the ending is text of ours.
    fs::path labelled = path;
    labelled += "." + label;
    // Each output's name was flushed to disk in the folder it went to before the conversion
    // counted as done (a crash could otherwise lose both); one that could not be flushed made it
    // fail, and the raw file is kept.
    if (converted && !m_config.saveBin) {
        // A file that cannot be deleted must still not be converted a second time.
        if (auto removed = Remove(path)) {
            return removed;
        }
        return RenameKeeping(path, labelled);
    }
    // The label may hold what the file system refuses in a name (or be too long for it); the
    // raw data matter more than the label, after a failure and with SaveBin alike.
    if (auto renamed = RenameKeeping(path, labelled)) {
        return renamed;
    }
    auto renamed = RenameKeeping(path, WithDot(path));
    // No new name at all: a converted file has its import file, and must not be converted again.
    return renamed || !converted ? renamed : Remove(path);
}

SystemDone ConversionWorker::MovePrinterFile(const fs::path& path) {
    auto ledger = HistoryLedger::For(path, m_config.history, m_config.report);
    ConversionContext context{m_config.report, m_config.drivers, m_config.clock};
    context.ledger = ledger ? &*ledger : nullptr;
    SystemDone gone = MovePrinterProtocol(path, m_printerFolder, context)
                          ? SystemDone()
                          : RenameKeeping(path, WithDot(path));
    if (gone && ledger) {
        ledger->End();
    }
    return gone;
}

void ConversionWorker::KeepOutOfLaterPasses(const fs::path& path, const SystemError& reason) {
    m_passedOver.insert(path);
    m_config.report.LogUpper(RawFileStuckLine(PathToUtf8(path.filename())));
    LogReasonUpper(m_config.report, reason, path);
}

}  // namespace zep
