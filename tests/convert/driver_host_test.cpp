// The drivers in their own process, through the conversion worker: a driver that crashes, ends
// its process, scribbles on the channel or hangs costs its raw file (kept under its label, with
// a line naming device type and file) and nothing else, and loading leaves out the libraries
// whose calls break the host.
#include "convert/driver_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "convert/conversion_worker.h"
#include "convert/driver_host_main.h"
#include "convert/output_file.h"
#include "platform/child_process.h"
#include "platform/environment.h"
#include "platform/program_path.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/fake_clock.h"
#include "tests/support/process_probe.h"
#include "tests/support/recording_report.h"
#include "tests/support/scoped_env.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = "Type=TEST\nSerial=5\nVirtual=7\nVname=V\n";

fs::path HostProgram() {
#if GTEST_OS_WINDOWS
    return fs::path(ZEP_BINARY_DIR) / "bin" / "zepimport.exe";
#else
    return fs::path(ZEP_BINARY_DIR) / "bin" / "zepimport";
#endif
}

std::string Kept(const std::string& name) {
    return name + ".TEST_5_7";
}

// The line that sets a file aside, as the lower pane shows it.
std::string SetAsideLine(const std::string& file, const std::string& what) {
    return "$04CNV: Сбой драйвера прибора 'TEST' на файле '" + file + "': " + what +
           "; файл сохранён в каталоге программы и больше не обрабатывается.";
}

// The id of the driver host that hangs in the 'H' script, once it has said so in the marker.
std::optional<int> HangingHost(const fs::path& marker) {
    for (int i = 0; i < 3000; ++i) {
        const std::string text = ReadFileText(marker);
        if (text.ends_with("\n")) {
            return std::stoi(text);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

class DriverHostTest : public ::testing::Test {
protected:
    // A short time-out only where a hang is meant: a sanitizer's exit alone may take a second.
    void StartHost(std::chrono::seconds timeout, const fs::path& program = HostProgram()) {
        worker.reset();
        host = std::make_unique<DriverHost>(
            DriverHost::Settings{program, {kDriverHostOption}, timeout, {}});
        host->LoadDriversFrom(report, drivers.path());
        worker = std::make_unique<ConversionWorker>(
            ConversionWorker::Config{raw.path(), setup.Values("", import.path().string()), report,
                                     *host, busy, saveBin, clock});
    }
    void WriteScript(const std::string& name, const std::string& script) {
        WriteFileBytes(raw / name, MeterArchive(kHeader, {{9, ToBytes(script)}}));
    }
    // A raw file is taken at the second pass that sees it.
    void Convert() {
        ASSERT_TRUE(worker->RunPass());
        ASSERT_TRUE(worker->RunPass());
    }

    TempDir drivers;
    TempDir raw;
    TempDir import;
    RecordingReport report;
    FakeClock clock{1700000000};
    std::atomic<int> busy{0};
    std::atomic<bool> saveBin{false};
    DispatchSetup setup;
    std::unique_ptr<DriverHost> host;
    std::unique_ptr<ConversionWorker> worker;
};

TEST_F(DriverHostTest, AFileThatBreaksTheHostIsKeptUnderItsLabelAndTheNextConvertsInANewHost) {
    CopyHostDriver(Lib("vl_test_script"), drivers.path());
    struct Case {
        std::string script;
        int timeout;
        std::string what;
    };
    const std::string ended = "процесс драйверов аварийно завершился";
    std::vector<Case> cases = {
        {"C", 60, ended},
        {"Q", 60, ended},
        {"A", 60, ended},
        {"H", 1, "обработка длилась дольше 1 с, процесс драйверов остановлен"},
    };
#if !GTEST_OS_WINDOWS
    cases.push_back({"W", 60, "процесс драйверов передал неверные данные"});
#endif
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].script);
        StartHost(std::chrono::seconds(cases[i].timeout));
        const std::string bad = std::to_string(i) + "-bad.bia";
        const std::string good = std::to_string(i) + "-good.bia";
        WriteScript(bad, cases[i].script);
        Convert();
        EXPECT_EQ(ListFiles(import.path()).size(), i);
        EXPECT_EQ(report.Lower().back(), SetAsideLine(bad, cases[i].what));
        WriteScript(good, "Egood");
        Convert();
        EXPECT_EQ(ListFiles(import.path()).size(), i + 1);
        EXPECT_TRUE(fs::exists(raw / Kept(bad)));
        EXPECT_FALSE(fs::exists(raw / good));
    }
    // Set aside means out of the pattern: a later pass hands none of them to a driver again.
    report.Clear();
    Convert();
    EXPECT_TRUE(report.Lower().empty());
}

TEST_F(DriverHostTest, LoadingLeavesOutEachLibraryThatBreaksTheHostAndTheOthersLoad) {
    const auto notLoaded = [&](const char* name, const std::string& why) {
        return "$04Драйвер '" + (drivers / Lib(name)).string() + "' не загружен: " + why + ".";
    };
    CopyHostDriver(Lib("vl_test_init_hang"), drivers.path());
    CopyHostDriver(Lib("vl_test_script"), drivers.path());
    StartHost(std::chrono::seconds(1));
    EXPECT_EQ(host->Names(), std::vector<std::string>{"TEST"});
    EXPECT_TRUE(report.HasUpper(notLoaded("vl_test_init_hang", "он не ответил за 1 с")));

    fs::remove(drivers / Lib("vl_test_init_hang"));
    for (const char* name : {"vl_test_init_crash", "vl_test_init_exit", "vl_test_data_entry6"}) {
        CopyHostDriver(Lib(name), drivers.path());
    }
    report.Clear();
    StartHost(std::chrono::seconds(60));
    EXPECT_EQ(host->Names(), std::vector<std::string>{"TEST"});
    const std::string ended = "процесс драйверов аварийно завершился при его вызове";
    EXPECT_TRUE(report.HasUpper(notLoaded("vl_test_init_crash", ended)));
    EXPECT_TRUE(report.HasUpper(notLoaded("vl_test_init_exit", ended)));
    const auto upper = report.Upper();
    EXPECT_EQ(std::count(upper.begin(), upper.end(), "Загружен драйвер 'TEST'."), 1);
    // An entry 6 that is no function is refused like a missing one, without a line.
    EXPECT_EQ(upper.size(), 3u);

    // A new host after a fault loads only what made up the table, without a word.
    WriteScript("crash.bia", "C");
    Convert();
    report.Clear();
    WriteScript("good.bia", "Egood");
    Convert();
    EXPECT_EQ(ListFiles(import.path()).size(), 1u);
    EXPECT_EQ(report.Upper(), (std::vector<std::string>{"$02CNV: Обработка TEST, 5, V ...",
                                                        "$02CNV:Обработка завершена"}));
}

// The host's standard streams lead nowhere: neither into the channel (on Windows they were the
// channel's pipe) nor anywhere a driver's closing them could harm.
TEST_F(DriverHostTest, ADriverThatPrintsOrClosesTheStandardStreamsConvertsAsAnyOther) {
    CopyHostDriver(Lib("vl_test_script"), drivers.path());
    StartHost(std::chrono::seconds(60));
    WriteScript("print.bia", "O");
    WriteScript("close.bia", "Z");
    Convert();
    EXPECT_EQ(ListFiles(import.path()).size(), 2u);
    EXPECT_TRUE(ListFiles(raw.path()).empty());
    EXPECT_TRUE(report.Lower().empty());
}

TEST_F(DriverHostTest, TextsComeBackWhole) {
    CopyHostDriver(Lib("vl_test_script"), drivers.path());
    StartHost(std::chrono::seconds(60));
    // Beyond the 10 MiB limit: the first 10 MiB are imported and the raw file kept.
    const std::uint32_t bulk = 11u << 20;
    WriteFileBytes(
        raw / "big.bia",
        MeterArchive(
            kHeader,
            {{9,
              {'B', static_cast<std::uint8_t>(bulk), static_cast<std::uint8_t>(bulk >> 8),
               static_cast<std::uint8_t>(bulk >> 16), static_cast<std::uint8_t>(bulk >> 24)}}}));
    // One import file per virtual device of an assembled archive.
    WriteFileBytes(raw / "two.bin",
                   AssembledArchive(Titles("TEST", "1,2", "V", "4"), {{3, ToBytes("Ex")}}));
    Convert();
    EXPECT_TRUE(
        report.HasUpper("$04CNV: Превышен размер буфера вывода (10485760 байт), "
                        "данные усечены."));
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{Kept("big.bia")});
    std::vector<std::string> texts;
    for (const auto& name : ListFiles(import.path())) {
        texts.push_back(ReadFileText(import / name));
    }
    ASSERT_EQ(texts.size(), 3u);
    std::sort(texts.begin(), texts.end(),
              [](const auto& a, const auto& b) { return a.size() < b.size(); });
    EXPECT_NE(texts[0].find("kind=3 virtual=1 length=2 text=x\r\n"), std::string::npos);
    EXPECT_NE(texts[1].find("kind=3 virtual=2 length=2 text=x\r\n"), std::string::npos);
    std::string expected = "[DEVICE]\n" + kHeader + "\n[DEVICE_END]\n";
    const std::string line = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_\n";
    while (expected.size() < kVLOutputLimit) {
        expected += line;
    }
    expected.resize(kVLOutputLimit);
    EXPECT_TRUE(texts[2] == WithCrLf(expected));
}

TEST_F(DriverHostTest, AStopRequestEndsAHungConversionAndLeavesTheFileForTheNextStart) {
    CopyHostDriver(Lib("vl_test_script"), drivers.path());
    const fs::path marker = raw / "hanging.txt";
    ScopedEnv hangMarker("ZEP_TEST_HANG_MARKER", marker.string());
    StartHost(std::chrono::seconds(300));
    WriteScript("20240101120000.bia", "H");
    worker->Start();
    ASSERT_TRUE(HangingHost(marker)) << "the driver never started within 30 s";
    worker->RequestStop();
    worker->Stop();
    EXPECT_TRUE(fs::exists(raw / "20240101120000.bia"));
    EXPECT_TRUE(
        report.HasUpper("$02CNV: Обработка файла '20240101120000.bia' прервана: "
                        "программа завершает работу, файл будет обработан при следующем "
                        "запуске."));
    EXPECT_TRUE(report.Lower().empty());
    EXPECT_EQ(busy.load(), 0);
}

// Run by the test below, in a process of its own that it kills: converts a file whose driver
// hangs, in the folders the test made.
TEST_F(DriverHostTest, DISABLED_ConvertAHangingFileUntilKilled) {
    const fs::path folder = EnvironmentValue("ZEP_TEST_KILLED_PROGRAM").value_or("");
    ASSERT_FALSE(folder.empty());
    host = std::make_unique<DriverHost>(
        DriverHost::Settings{HostProgram(), {kDriverHostOption}, std::chrono::seconds(300), {}});
    host->LoadDriversFrom(report, folder / "drivers");
    worker = std::make_unique<ConversionWorker>(
        ConversionWorker::Config{folder / "raw", setup.Values("", (folder / "import").string()),
                                 report, *host, busy, saveBin, clock});
    Convert();
}

// kill -9 (TerminateProcess on Windows) of the program in the middle of a conversion.
TEST_F(DriverHostTest, AProgramKilledMidConversionLeavesNoHostBehind) {
    CopyHostDriver(Lib("vl_test_script"), drivers / "drivers");
    fs::create_directories(drivers / "raw");
    fs::create_directories(drivers / "import");
    WriteFileBytes(drivers / "raw" / "20240101120000.bia",
                   MeterArchive(kHeader, {{9, ToBytes("H")}}));
    const fs::path marker = drivers / "hanging.txt";
    ScopedEnv hangMarker("ZEP_TEST_HANG_MARKER", marker.string());
    ScopedEnv folder("ZEP_TEST_KILLED_PROGRAM", drivers.path().string());
    std::string reason;
    auto program = ChildProcess::Start(
        RunningExecutablePath(),
        {"--gtest_also_run_disabled_tests",
         "--gtest_filter=DriverHostTest.DISABLED_ConvertAHangingFileUntilKilled"},
        reason);
    ASSERT_TRUE(program) << reason;
    const auto hanging = HangingHost(marker);
    ASSERT_TRUE(hanging) << "the driver never started within 30 s";
    program->Kill();
    for (int i = 0; i < 300 && ProcessRunning(*hanging); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_FALSE(ProcessRunning(*hanging)) << "the driver host outlived the killed program";
    EndProcess(*hanging);
}

TEST_F(DriverHostTest, AHostThatCannotBeStartedCostsTheFileWithALine) {
    CopyHostDriver(Lib("vl_test_script"), drivers.path());
    const fs::path missing = raw / "no-such-program";
    StartHost(std::chrono::seconds(1), missing);
    ASSERT_EQ(report.Upper().size(), 1u);
    EXPECT_EQ(report.Upper()[0].rfind(
                  "$04Не удалось запустить процесс драйверов '" + missing.string() + "': ", 0),
              0u);
    WriteScript("20240101120000.bia", "Egood");
    Convert();
    EXPECT_TRUE(ListFiles(import.path()).empty());
    EXPECT_TRUE(fs::exists(raw / Kept("20240101120000.bia")));
    ASSERT_EQ(report.Lower().size(), 1u);
    EXPECT_EQ(report.Lower()[0].rfind("$04CNV: Файл '20240101120000.bia' (прибор 'TEST') не "
                                      "обработан: не удалось запустить процесс драйверов (",
                                      0),
              0u);
}

}  // namespace
}  // namespace zep::test
