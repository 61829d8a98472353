// Devices plugged one after another into the port the service watches: each gets its session,
// and what they held reaches the dispatch system's import folder through the drivers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/title_area.h"
#include "tests/support/headless_service.h"
#include "tools/sim/sim_content.h"
#include "tools/sim/sim_cp1251.h"

namespace zep::test {
namespace {

using Device = std::pair<std::string, std::string>;  // Type and Serial, as the import file says

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// One import file per virtual device of every archive the collector holds.
std::vector<Device> TessalDevices(const sim::TessalDatabase& database) {
    std::vector<Device> devices;
    for (const auto& archive : database.archives) {
        const auto title = TitleArea(archive.volumes.at(0));
        const auto virtualList = NthString(title, 2);
        for (int n = 0; NthNumber(virtualList, n) >= 0; ++n) {
            devices.emplace_back(NthString(title, 1).value_or(""),
                                 NthString(title, 4).value_or(""));
        }
    }
    return devices;
}

// One import file per record: the device type is fixed, the serial number is the text at
// offset 15 of the record.
std::vector<Device> KolvarDevices(const std::vector<sim::KolvarRecord>& records) {
    std::vector<Device> devices;
    for (const auto& record : records) {
        devices.emplace_back(sim::EncodeCp1251("ЖУВ.Р-1"),
                             std::string(reinterpret_cast<const char*>(record.bytes.data()) + 15));
    }
    return devices;
}

TEST(ServiceSessionsTest, TessalThenKolvarOnOnePortBothBecomeImportFiles) {
    constexpr int kItems = 2;
    constexpr unsigned kSeed = 3;
    std::vector<Device> expected = TessalDevices(sim::GenerateTessalDatabase(kItems, kSeed));
    const auto kolvar = KolvarDevices(sim::GenerateKolvarRecords(kItems, kSeed));
    expected.insert(expected.end(), kolvar.begin(), kolvar.end());

    TempDir dir;
    ConfigureDispatch(dir);
    WriteSettings(dir, "[COM Port]\r\nm_port=8\r\n");
    const std::string devices = "--devices tessal,kolvar --count " + std::to_string(kItems) +
                                " --seed " + std::to_string(kSeed) + " --timeout 30";
    const HeadlessRun run = RunHeadless(
        dir, ServiceScript()
                 .Before(StartDevice("zep-demo-devices", devices, 8))
                 .WaitUntil("grep -q 'served 2 of 2 devices' sim.txt && " +
                            FolderHolds("import", ".imp", static_cast<int>(expected.size()))));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.aliveAtSignal);
    EXPECT_NE(ReadFileText(dir / "sim.txt").find("served 2 of 2 devices"), std::string::npos)
        << ReadFileText(dir / "sim.txt");

    // Both sessions ran, one after the other: the first had ended (and let go of the worker
    // lock) before the second began.
    EXPECT_EQ(Count(run.out, "Сеанс связи начат "), 2u) << run.out;
    EXPECT_EQ(Count(run.out, "Импорт данных завершен."), 2u) << run.out;
    const std::size_t tessalEnd = run.out.find("Импорт данных завершен.");
    const std::size_t kolvarStart = run.out.find("Kolvar");
    EXPECT_LT(run.out.find("Считывание архива #1 ..."), tessalEnd) << run.out;
    EXPECT_LT(tessalEnd, kolvarStart) << run.out;
    EXPECT_NE(run.out.find("Считывание записи #" + std::to_string(kItems) + " ...", kolvarStart),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Ошибка"), std::string::npos) << run.out;

    // Every archive and record arrived once, rendered by the driver of its type.
    std::vector<Device> imported;
    for (const auto& name : ImportFiles(dir)) {
        const std::string text = ReadFileText(dir / "import" / name);
        imported.emplace_back(ImportHeaderValue(text, "Type"), ImportHeaderValue(text, "Serial"));
        EXPECT_GT(Count(text, "\r\n"), 8u) << name << ": readings follow the header";
    }
    std::sort(expected.begin(), expected.end());
    std::sort(imported.begin(), imported.end());
    EXPECT_EQ(imported, expected) << run.out;
    EXPECT_TRUE(RawFiles(dir).empty()) << "converted raw files are deleted";
}

}  // namespace
}  // namespace zep::test
