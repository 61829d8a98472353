// Each device's session recorded against its simulator over a pseudo-terminal, then replayed
// into a fresh folder: the replay follows the recording to its end, writes the same raw files
// under the same names and says the same lines, also for sessions that failed half-way, were
// cut short by the program's request to end or had a unit passed over by the import history.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/stop_request.h"
#include "link/exchanges.h"
#include "link/session_replay.h"
#include "link/session_tape.h"
#include "link/stoppable_line.h"
#include "platform/time_base.h"
#include "tests/integration/link_session.h"
#include "tests/support/memory_recording.h"
#include "tools/sim/kolvar_device_sim.h"
#include "tools/sim/sim_content.h"
#include "tools/sim/tessal_collector_sim.h"
#include "tools/sim/zep_adapter_sim.h"

namespace zep::test {
namespace {

using sim::FaultKind;

// The session's lines; the program asks to end once a line beginning with the given words has
// been said.
class StopAtLine final : public RecordingReport {
public:
    explicit StopAtLine(std::string words) : m_words(std::move(words)) {}
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override {
        if (upper && !m_words.empty() && upper->starts_with(m_words)) {
            stop.Request();
        }
        RecordingReport::AddLogLines(std::move(lower), std::move(upper));
    }
    StopRequest stop;

private:
    std::string m_words;
};

using ExchangeFunction = void (*)(const WorkerParams&, SerialPort&, const WorkerEnvironment&);

struct DeviceCase {
    const char* name;
    RecordedDevice device;
    const char* prompt;
    ExchangeFunction exchange;
    std::function<std::unique_ptr<sim::DeviceSim>(sim::SimOptions)> make;
    std::vector<sim::SimFault> faults;
    std::size_t files;                     // raw files the session leaves
    const char* line;                      // a line the session says
    const char* stopAt = "";               // the program asks to end after the line beginning so
    std::vector<std::uint8_t> known = {};  // a unit the session's import history knows
};

std::vector<DeviceCase> Cases() {
    const auto zep = [](sim::SimOptions o) -> std::unique_ptr<sim::DeviceSim> {
        return std::make_unique<sim::ZepAdapterSim>(sim::GenerateZepFiles(3, 7), o);
    };
    const auto tessal = [](sim::SimOptions o) -> std::unique_ptr<sim::DeviceSim> {
        return std::make_unique<sim::TessalCollectorSim>(sim::GenerateTessalDatabase(2, 7), o);
    };
    const auto kolvar = [](sim::SimOptions o) -> std::unique_ptr<sim::DeviceSim> {
        o.chunkSize = 1000;
        return std::make_unique<sim::KolvarDeviceSim>(sim::GenerateKolvarRecords(3, 7), o);
    };
    return {
        {"ZEP",
         RecordedDevice::Zep,
         "ZEP>",
         &ZepExchange,
         zep,
         {},
         3,
         "$03Импорт данных завершен."},
        {"Tessal",
         RecordedDevice::Tessal,
         "CL>",
         &TessalExchange,
         tessal,
         {},
         2,
         "$03Импорт данных завершен."},
        {"Kolvar",
         RecordedDevice::Kolvar,
         "KLV10>",
         &KolvarExchange,
         kolvar,
         {},
         3,
         "$03Импорт данных завершен."},
        {"ZEP with its second file imported before",
         RecordedDevice::Zep,
         "ZEP>",
         &ZepExchange,
         zep,
         {},
         2,
         "Пропущено ранее импортированных архивов: 1",
         "",
         sim::GenerateZepFiles(3, 7)[1].bytes},
        {"ZEP unplugged in the second file",
         RecordedDevice::Zep,
         "ZEP>",
         &ZepExchange,
         zep,
         {{.kind = FaultKind::Unplug, .command = ">", .skip = 1}},
         1,
         "$04Ошибка чтения файла с ZEP"},
        {"Kolvar bad check word in the second record",
         RecordedDevice::Kolvar,
         "KLV10>",
         &KolvarExchange,
         kolvar,
         {{.kind = FaultKind::BadCrc, .command = "DOWNLOAD", .skip = 1}},
         1,
         "$04Ошибка считывания записи"},
        {"Tessal cut off before the second archive",
         RecordedDevice::Tessal,
         "CL>",
         &TessalExchange,
         tessal,
         {{.kind = FaultKind::Truncate, .command = "get volumes", .skip = 1, .times = 0}},
         1,
         "$04Ошибка считывания числа томов архива."},
        {"ZEP asked to end while the first file is deleted",
         RecordedDevice::Zep,
         "ZEP>",
         &ZepExchange,
         zep,
         {},
         1,
         kSessionCutLine,
         "Удаление файла"},
    };
}

TEST(SessionReplay, EachDevicesSessionReplaysToTheSameRawFiles) {
    for (const auto& c : Cases()) {
        sim::SimOptions options;
        options.faults = c.faults;
        const auto device = c.make(options);
        ASSERT_TRUE(device->Start()) << c.name;
        LinkSession session;
        ASSERT_TRUE(session.Connect(device->SlavePath(), c.prompt)) << c.name;

        MemoryRecording output;
        StopAtLine said(c.stopAt);
        const RecordingHeader header{c.device, true, LinkSession::kPort, StandardOffsetHoursWest(),
                                     DefaultClock().Now()};
        SessionTape tape(header, *session.port, DefaultClock(), said, output, said.stop);
        MemoryImportHistory history;
        if (!c.known.empty()) {
            const ArchiveKey key = ArchiveKeyOf(c.known);
            history.Record(std::span(&key, 1), said);
        }
        session.params.importOnce = true;
        WorkerEnvironment env{tape.Report(),         tape.SessionClock(), session.lock,
                              session.folder.path(), tape.Stop(),         &history};
        env.rawFiles = &tape.Files();
        c.exchange(session.params, tape.Port(), env);
        tape.End();
        const auto original = ListFiles(session.folder.path());
        ASSERT_EQ(original.size(), c.files) << c.name;
        EXPECT_TRUE(said.HasUpper(c.line)) << c.name;

        const ParsedRecording recording = ParseRecording(output.bytes);
        ASSERT_FALSE(recording.damage) << c.name << ": " << recording.damage->reason;
        TempDir fresh;
        RecordingReport report;
        WorkerLock lock;
        SessionReplay replay(recording, StandardOffsetHoursWest());
        WorkerEnvironment replayEnv{report,       replay.SessionClock(), lock,
                                    fresh.path(), replay.Stop(),         &replay.History()};
        replayEnv.rawFiles = &replay.Files();
        c.exchange(session.params, replay.Port(), replayEnv);

        EXPECT_FALSE(replay.Finish().has_value()) << c.name;
        EXPECT_EQ(ListFiles(fresh.path()), original) << c.name;
        for (const auto& name : original) {
            EXPECT_EQ(ReadFileBytes(fresh / name), ReadFileBytes(session.folder / name)) << name;
        }
        EXPECT_EQ(report.Upper(), said.Upper()) << c.name;
    }
}

}  // namespace
}  // namespace zep::test
