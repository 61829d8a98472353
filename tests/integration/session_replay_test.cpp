// Each device's session recorded against its simulator over a pseudo-terminal, then replayed
// into a fresh folder: the replay follows the recording to its end, writes the same raw files
// under the same names and says the same lines, also for sessions that failed half-way.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "link/exchanges.h"
#include "link/session_replay.h"
#include "link/session_tape.h"
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
using ExchangeFunction = void (*)(const WorkerParams&, SerialPort&, const WorkerEnvironment&);

struct DeviceCase {
    const char* name;
    RecordedDevice device;
    const char* prompt;
    ExchangeFunction exchange;
    std::function<std::unique_ptr<sim::DeviceSim>(sim::SimOptions)> make;
    std::vector<sim::SimFault> faults;
    std::size_t files;  // raw files the session leaves
    const char* line;   // a line the session says
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
        const RecordingHeader header{c.device, true, LinkSession::kPort, StandardOffsetHoursWest(),
                                     DefaultClock().Now()};
        SessionTape tape(header, *session.port, DefaultClock(), session.report, output);
        WorkerEnvironment env{tape.Report(), tape.SessionClock(), session.lock,
                              session.folder.path()};
        env.rawFiles = &tape.Files();
        c.exchange(session.params, tape.Port(), env);
        tape.End();
        const auto original = ListFiles(session.folder.path());
        ASSERT_EQ(original.size(), c.files) << c.name;
        EXPECT_TRUE(session.report.HasUpper(c.line)) << c.name;

        const ParsedRecording recording = ParseRecording(output.bytes);
        ASSERT_FALSE(recording.damage) << c.name << ": " << recording.damage->reason;
        TempDir fresh;
        RecordingReport report;
        WorkerLock lock;
        SessionReplay replay(recording, StandardOffsetHoursWest());
        WorkerEnvironment replayEnv{report, replay.SessionClock(), lock, fresh.path()};
        replayEnv.rawFiles = &replay.Files();
        c.exchange(session.params, replay.Port(), replayEnv);

        EXPECT_FALSE(replay.Finish().has_value()) << c.name;
        EXPECT_EQ(ListFiles(fresh.path()), original) << c.name;
        for (const auto& name : original) {
            EXPECT_EQ(ReadFileBytes(fresh / name), ReadFileBytes(session.folder / name)) << name;
        }
        EXPECT_EQ(report.Upper(), session.report.Upper()) << c.name;
    }
}

}  // namespace
}  // namespace zep::test
