// The service against surroundings that would keep it from ever answering: configuration files
// that are not files, and devices that announce themselves again and again or never move on.
// Each time it starts, stays small, and ends within seconds of SIGTERM.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/archive_builder.h"
#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

constexpr long kMemoryLimitKb = 150 * 1024;
constexpr int kEndWithinTenths = 100;

void ExpectEndedSmallAndSoon(const HeadlessRun& run) {
    EXPECT_TRUE(run.aliveAtSignal) << run.err;
    EXPECT_GT(run.peakKb, 0);
    EXPECT_LT(run.peakKb, kMemoryLimitKb);
    EXPECT_GE(run.endTenths, 0);
    EXPECT_LE(run.endTenths, kEndWithinTenths) << run.out;
}

struct ConfigCase {
    const char* name;
    const char* file;  // relative to the test folder
    enum { Fifo, DevZero, Oversized } kind;
    const char* reason;
};

// A FIFO blocked the start (or the conversion) and a link to /dev/zero filled the memory; now
// each counts as missing with a line that says why and is left where it was.
TEST(ServiceHostileTest, ConfigurationFilesThatAreNotFilesAreMissingWithAReason) {
    const ConfigCase cases[] = {
        {"settings FIFO", "program/zepimport.ini", ConfigCase::Fifo, "это не обычный файл"},
        {"settings /dev/zero", "program/zepimport.ini", ConfigCase::DevZero, "это не обычный файл"},
        {"settings 2 MB", "program/zepimport.ini", ConfigCase::Oversized, "больше 1 МБ"},
        {"Velmora FIFO", "config/Kestrom/Velmora.conf", ConfigCase::Fifo, "это не обычный файл"},
        {"Velmora /dev/zero", "config/Kestrom/Velmora.conf", ConfigCase::DevZero,
         "это не обычный файл"},
        {"Zuvo FIFO", "config/Kestrom/Zuvo.conf", ConfigCase::Fifo, "это не обычный файл"},
        {"Zuvo /dev/zero", "config/Kestrom/Zuvo.conf", ConfigCase::DevZero, "это не обычный файл"},
    };
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path file = dir / c.file;
        const bool settings = file.filename() == "zepimport.ini";
        const bool velmora = file.filename() == "Velmora.conf";
        fs::create_directories(dir / "import");
        fs::create_directories(dir / "program");
        if (!velmora) {
            ConfigureDispatch(dir);
        }
        fs::create_directories(file.parent_path());
        switch (c.kind) {
            case ConfigCase::Fifo:
                ASSERT_EQ(std::system(("mkfifo '" + file.string() + "'").c_str()), 0);
                break;
            case ConfigCase::DevZero:
                fs::create_symlink("/dev/zero", file);
                break;
            case ConfigCase::Oversized:
                WriteFileText(file, std::string(2 * 1024 * 1024, ';'));
                break;
        }
        const auto type = fs::symlink_status(file).type();
        // With the dispatch system's folders known, a meter archive shows that the conversion
        // (which reads Zuvo.conf) goes on.
        WriteFileBytes(dir / "program" / "20240101120000.bia", MeterArchiveBuilder()
                                                                   .Value("Type", "M1")
                                                                   .Value("Serial", "123")
                                                                   .Record(9, {1, 2, 3})
                                                                   .Build());
        const std::string line = std::string(settings ? "Файл настроек '" : "Файл '") +
                                 file.string() + "' не прочитан: " + c.reason;
        const std::string converted = velmora ? "true" : FolderHolds("import", ".imp", 1);
        const HeadlessRun run = RunHeadless(
            dir, ServiceScript().GuardMemory().WaitUntil(
                     OutputHas(std::string("не прочитан: ") + c.reason) + " && " + converted));
        ExpectEndedSmallAndSoon(run);
        EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
        EXPECT_EQ(ImportFiles(dir).size(), velmora ? 0u : 1u) << run.out;
        // A settings file that was not read is not replaced: the exit says it did not save.
        EXPECT_EQ(run.status, settings ? 1 : 0) << run.err;
        EXPECT_EQ(fs::symlink_status(file).type(), type);
    }
}

struct DeviceCase {
    const char* name;
    const char* simArguments;
    const char* waitFor;  // in the service's output,
    int times;            // this often
    std::size_t rawFiles;
};

// A device that announces itself again right after each session kept the exit from ever being
// taken; one that ignores "+" or sends an endless header held its session or the poll for ever.
TEST(ServiceHostileTest, DevicesThatNeverLetGoDoNotHoldTheExit) {
    const DeviceCase cases[] = {
        {"announces again after each session",
         "--generate 0 --reannounce-after 300 --announce-every 1", "Сеанс связи начат", 3, 0},
        {"ignores +", "--generate 1 --fault silence,cmd=+,times=always",
         "не переходит к следующему файлу после", 1, 1},
        {"endless header line", "--generate 1 --fault endless,cmd==,at=5",
         "Импорт данных завершен.", 1, 0},
    };
    for (const DeviceCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteSettings(dir, "[COM Port]\r\nm_port=8\r\n");
        const HeadlessRun run =
            RunHeadless(dir, ServiceScript()
                                 .Before(StartDevice("zep-sim", c.simArguments, 8))
                                 .WaitUntil(OutputHasTimes(c.waitFor, c.times)));
        ExpectEndedSmallAndSoon(run);
        EXPECT_EQ(run.status, 0) << run.err;
        // The file offered is saved once, however often it was offered.
        EXPECT_EQ(RawFiles(dir).size(), c.rawFiles) << run.out;
    }
}

}  // namespace
}  // namespace zep::test
