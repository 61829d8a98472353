// The service with drivers that crash, hang and print: each such file costs itself only, the
// service stays up and a restart does not meet the file again; what a driver prints never
// reaches the service's output; and no driver host outlives a service killed mid-conversion.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/shared_library.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/headless_service.h"
#include "tests/support/process_probe.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

// The script driver as the dispatch system's only driver, dir/import as the import folder.
void ConfigureScriptDriver(const TempDir& dir) {
    CopyDriver(Lib("vl_test_script"), dir / "drivers");
    fs::create_directories(dir / "import");
    fs::create_directories(dir / "config" / "Kestrom");
    WriteFileText(dir / "config" / "Kestrom" / "Velmora.conf",
                  "[General]\nDrivers=" + (dir / "drivers").string() +
                      "\nImport=" + (dir / "import").string() + "\n");
}

void WriteScript(const TempDir& dir, const std::string& name, const std::string& script) {
    fs::create_directories(dir / "program");
    WriteFileBytes(dir / "program" / name, MeterArchive("Type=TEST\nSerial=5\nVirtual=7\nVname=V\n",
                                                        {{9, ToBytes(script)}}));
}

std::string SetAsideLine(const std::string& file, const std::string& what) {
    return "  > CNV: Сбой драйвера прибора 'TEST' на файле '" + file + "': " + what +
           "; файл сохранён в каталоге программы и больше не обрабатывается.";
}

TEST(ServiceDriverHost, ACrashingOrHangingDriverCostsItsFileAndTheServiceGoesOn) {
    TempDir dir;
    ConfigureScriptDriver(dir);
    WriteSettings(dir, "[General]\nDriverTimeout=1\n");
    WriteScript(dir, "20240101120000.bia", "C");
    WriteScript(dir, "20240101120001.bia", "H");
    WriteScript(dir, "20240101120002.bia", "O");
    WriteScript(dir, "20240101120003.bia", "Egood");
    const auto run =
        RunHeadless(dir, ServiceScript().WaitUntil(FolderHolds("import", ".imp", 2) + " && " +
                                                   FolderHolds("program", ".TEST_5_7", 2)));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(
        run.out.find(SetAsideLine("20240101120000.bia", "процесс драйверов аварийно завершился")),
        std::string::npos)
        << run.out;
    EXPECT_NE(
        run.out.find(SetAsideLine("20240101120001.bia",
                                  "обработка длилась дольше 1 с, процесс драйверов остановлен")),
        std::string::npos)
        << run.out;
    for (const std::string& output : {run.out, run.err}) {
        EXPECT_EQ(output.find("DRIVER-SAYS"), std::string::npos) << output;
    }
    EXPECT_TRUE(RawFiles(dir).empty());
    EXPECT_TRUE(fs::exists(dir / "program" / "20240101120000.bia.TEST_5_7"));
    EXPECT_TRUE(fs::exists(dir / "program" / "20240101120001.bia.TEST_5_7"));

    // The next start converts what is new and hands neither of the two to a driver again.
    WriteScript(dir, "20240101120004.bia", "Eagain");
    const auto again =
        RunHeadless(dir, ServiceScript().WaitUntil(FolderHolds("import", ".imp", 3)));
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out.find("Сбой драйвера"), std::string::npos) << again.out;
    EXPECT_EQ(ImportFiles(dir).size(), 3u);
}

TEST(ServiceDriverHost, KillingTheServiceMidConversionLeavesNoDriverHost) {
    TempDir dir;
    ConfigureScriptDriver(dir);
    WriteScript(dir, "20240101120000.bia", "H");
    const std::string marker = (dir / "hanging.txt").string();
    const auto run = RunHeadless(dir, ServiceScript()
                                          .Environment("ZEP_TEST_HANG_MARKER='" + marker + "'")
                                          .WaitUntil("grep -q . hanging.txt")
                                          .Signal("KILL"));
    EXPECT_EQ(run.status, 128 + SIGKILL);
    const std::string host = ReadFileText(dir / "hanging.txt");
    ASSERT_FALSE(host.empty()) << "no driver host was seen running the file";
    const int pid = std::stoi(host);
    for (int i = 0; i < 300 && ProcessRunning(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_FALSE(ProcessRunning(pid)) << "driver host " << pid << " outlived the killed service";
    EndProcess(pid);
    // The file in hand was neither converted nor set aside: the next start takes it up.
    EXPECT_EQ(RawFiles(dir), std::vector<std::string>{"20240101120000.bia"});
}

}  // namespace
}  // namespace zep::test
