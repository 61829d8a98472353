// The service with drivers that crash, hang, print, fail their stream and break their loading:
// each such file costs itself only, the service stays up and a restart does not meet the file
// again; what a driver prints never reaches the service's output; each library whose VLInit
// breaks the host is left out; and no driver host outlives the service, whether it is killed
// or asked to end while a driver hangs.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

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

// Runs the service until the import folder holds `imports` files and the program folder `kept`
// files set aside, then ends it.
HeadlessRun RunUntilConverted(const TempDir& dir, int imports, int kept) {
    auto run =
        RunHeadless(dir, ServiceScript().WaitUntil(FolderHolds("import", ".imp", imports) + " && " +
                                                   FolderHolds("program", ".TEST_5_7", kept)));
    EXPECT_EQ(run.status, 0) << run.err;
    return run;
}

void ExpectLines(const std::string& output, const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
    }
}

// The first run ends the faults that end the host (a sanitizer's report alone may outlast a
// short time-out); the second, with a short time-out, the hangs, and meets neither of the files
// the first run set aside.
TEST(ServiceDriverHost, ACrashingOrHangingDriverCostsItsFileAndTheServiceGoesOn) {
    TempDir dir;
    ConfigureScriptDriver(dir);
    for (const char* broken : {"vl_test_init_crash", "vl_test_init_exit", "vl_test_data_entry6"}) {
        CopyDriver(Lib(broken), dir / "drivers");
    }
    const auto notLoaded = [&dir](const char* name, const std::string& why) {
        return "Драйвер '" + (dir / "drivers" / Lib(name)).string() + "' не загружен: " + why;
    };
    WriteScript(dir, "20240101120000.bia", "C");
    WriteScript(dir, "20240101120001.bia", "O");
    WriteScript(dir, "20240101120002.bia", "K");
    WriteScript(dir, "20240101120003.bia", "Z");
    WriteScript(dir, "20240101120004.bia", "Egood");
    const auto run = RunUntilConverted(dir, 3, 2);
    const std::string ended = "процесс драйверов аварийно завершился при его вызове.";
    ExpectLines(run.out,
                {notLoaded("vl_test_init_crash", ended), notLoaded("vl_test_init_exit", ended),
                 SetAsideLine("20240101120000.bia", "процесс драйверов аварийно завершился"),
                 "CNV: Драйвер оставил поток вывода в состоянии ошибки, данные не сохранены."});
    EXPECT_EQ(run.out.find("Загружен драйвер 'TEST'."), run.out.rfind("Загружен драйвер 'TEST'."));
    for (const std::string& output : {run.out, run.err}) {
        EXPECT_EQ(output.find("DRIVER-SAYS"), std::string::npos) << output;
    }
    // The stream the driver failed published nothing; the driver that closed the standard
    // streams converted as any other.
    EXPECT_EQ(ImportFiles(dir).size(), 3u);
    EXPECT_TRUE(RawFiles(dir).empty());
    for (const char* kept : {"20240101120000.bia", "20240101120002.bia"}) {
        EXPECT_TRUE(fs::exists(dir / "program" / (std::string(kept) + ".TEST_5_7"))) << kept;
    }

    CopyDriver(Lib("vl_test_init_hang"), dir / "drivers");
    WriteSettings(dir, "[General]\nDriverTimeout=1\n");
    WriteScript(dir, "20240101120005.bia", "H");
    WriteScript(dir, "20240101120006.bia", "Eagain");
    const auto again = RunUntilConverted(dir, 4, 3);
    ExpectLines(again.out, {notLoaded("vl_test_init_hang", "он не ответил за 1 с."),
                            SetAsideLine("20240101120005.bia",
                                         "обработка длилась дольше 1 с, "
                                         "процесс драйверов остановлен")});
    for (const char* setAside : {"20240101120000.bia", "20240101120002.bia"}) {
        EXPECT_EQ(again.out.find(setAside), std::string::npos) << again.out;
    }
    EXPECT_EQ(ImportFiles(dir).size(), 4u);
    EXPECT_TRUE(RawFiles(dir).empty());
}

// kill -9 of the service, or SIGTERM while a driver hangs in its conversion or in VLInit at
// start-up: the service ends (by itself, for SIGTERM), its driver host with it, and the file in
// hand waits, unconverted and not set aside, for the next start.
TEST(ServiceDriverHost, NoDriverHostOutlivesTheServiceAndAHangDoesNotHoldItsExit) {
    struct Case {
        const char* signal;
        const char* hangingLibrary;  // nullptr: the file's conversion hangs
        int status;
    };
    for (const Case& c : {Case{"KILL", nullptr, 128 + SIGKILL}, Case{"TERM", nullptr, 0},
                          Case{"TERM", "vl_test_init_hang", 0}}) {
        SCOPED_TRACE(std::string(c.signal) + " " + (c.hangingLibrary ? c.hangingLibrary : ""));
        TempDir dir;
        ConfigureScriptDriver(dir);
        ServiceScript script;
        if (c.hangingLibrary != nullptr) {
            CopyDriver(Lib(c.hangingLibrary), dir / "drivers");
            script.StartedWhen("grep -qs . hanging.txt");
        } else {
            WriteScript(dir, "20240101120000.bia", "H");
            script.WaitUntil("grep -qs . hanging.txt");
        }
        const std::string marker = (dir / "hanging.txt").string();
        const auto run = RunHeadless(
            dir, script.Environment("ZEP_TEST_HANG_MARKER='" + marker + "'").Signal(c.signal));
        EXPECT_EQ(run.status, c.status) << run.err;
        const std::string host = ReadFileText(dir / "hanging.txt");
        ASSERT_FALSE(host.empty()) << "no driver host was seen hanging";
        const int pid = std::stoi(host);
        for (int i = 0; i < 300 && ProcessRunning(pid); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_FALSE(ProcessRunning(pid)) << "driver host " << pid << " outlived the service";
        EndProcess(pid);
        if (c.hangingLibrary == nullptr) {
            EXPECT_EQ(RawFiles(dir), std::vector<std::string>{"20240101120000.bia"});
        }
    }
}

}  // namespace
}  // namespace zep::test
