// The replay of a session recording: the recording read and checked whole, the program folder
// locked as for any run, the session's exchange run on the replayed port and clock, and where
// it parted from the recording, if it did.
#include "app/replay_command.h"

#include <vector>

#include "app/console_view.h"
#include "app/inspect_kinds.h"
#include "app/recording_text.h"
#include "app/startup.h"
#include "core/path_text.h"
#include "core/worker_environment.h"
#include "link/exchanges.h"
#include "link/session_replay.h"
#include "platform/folder_lock.h"
#include "platform/program_path.h"
#include "platform/time_base.h"

namespace zep {

namespace {

// Far more than a session at the line's speed brings in a day.
constexpr std::size_t kLargestRecording = 256u << 20;

// The exchange's lines as the service prints them.
class PrintedReport final : public WorkerReport {
public:
    explicit PrintedReport(std::ostream& out) : m_out(out) {}
    void SetBar1(int, std::optional<std::string>) override {}
    void SetBar2(int, std::optional<std::string>) override {}
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override {
        if (lower) {
            m_out << FormatConsoleLine(Pane::Lower, *lower, false) << "\n";
        }
        if (upper) {
            m_out << FormatConsoleLine(Pane::Upper, *upper, false) << "\n";
        }
    }

private:
    std::ostream& m_out;
};

std::optional<ParsedRecording> ReadRecording(const std::string& file, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    const ReadResult read = ReadFilePrefix(PathFromUtf8(file), kLargestRecording, bytes);
    if (read != ReadResult::Whole) {
        err << "zepimport: --replay: " << file
            << (read == ReadResult::Prefix ? ": larger than any recording\n"
                                           : ": cannot be read (missing, or not a plain file)\n");
        return std::nullopt;
    }
    ParsedRecording recording = ParseRecording(bytes);
    if (recording.damage) {
        err << "zepimport: --replay: " << file << ": damaged at offset " << recording.damage->offset
            << ": " << recording.damage->reason << "\n";
        return std::nullopt;
    }
    return recording;
}

void RunExchange(RecordedDevice device, const WorkerParams& params, SerialPort& port,
                 const WorkerEnvironment& env) {
    switch (device) {
        case RecordedDevice::Zep:
            ZepExchange(params, port, env);
            break;
        case RecordedDevice::Tessal:
            TessalExchange(params, port, env);
            break;
        case RecordedDevice::Kolvar:
            KolvarExchange(params, port, env);
            break;
    }
}

void PrintDifference(const ReplayDifference& difference, std::ostream& out) {
    out << "replay: left the recording at offset " << difference.fileOffset << " (record "
        << difference.recordIndex + 1 << ", " << SecondsText(difference.timeMs)
        << " into the session, after " << difference.hostOffset << " bytes sent by the program)\n"
        << "  the recording: " << StepText(difference.expected) << "\n"
        << "  the program:   " << StepText(difference.got) << "\n";
}

}  // namespace

int RunReplay(const std::string& file, std::ostream& out, std::ostream& err) {
    const auto recording = ReadRecording(file, err);
    if (!recording) {
        return 1;
    }
    if (!FixTimeBase()) {
        err << kTimeBaseError << "\n";
        return 1;
    }
    const auto folder = ProgramFolder();
    // The raw files land where a running program would convert them at once: not beside one.
    const auto folderLock = FolderLock::Acquire(folder);
    if (folderLock.GetState() == FolderLock::State::InUse) {
        err << FolderInUseText(folder) << "\n";
        return 1;
    }
    const RecordingHeader& header = *recording->header;
    out << "replay: " << DeviceName(header.device) << " session of " << SessionStartText(header)
        << " into " << PathToUtf8(folder) << "\n";
    SessionReplay replay(*recording, StandardOffsetHoursWest());
    PrintedReport report(out);
    WorkerLock lock;
    WorkerParams params;
    params.port = header.port;
    params.deleteData = header.deleteData;
    params.importOnce = true;  // what the session passed over as imported before, so does this
    WorkerEnvironment env{report, replay.SessionClock(), lock,
                          folder, replay.Stop(),         &replay.History()};
    env.rawFiles = &replay.Files();
    RunExchange(header.device, params, replay.Port(), env);
    if (const auto difference = replay.Finish()) {
        PrintDifference(*difference, out);
        return 1;
    }
    out << "replay: followed the recording to its end\n";
    return 0;
}

}  // namespace zep
