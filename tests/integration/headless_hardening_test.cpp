// The service against what its surroundings do to it: the reader of its output going away, a
// second copy started on the same program folder, a settings file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/startup.h"
#include "platform/ini_document.h"
#include "tests/support/archive_builder.h"
#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

std::string Zepimport() {
    return "'" + BinaryFolder() + "/zepimport' --headless --program-dir program";
}

void DropMeterArchive(const TempDir& dir) {
    std::filesystem::create_directories(dir / "program");
    WriteFileBytes(dir / "program" / "20240101120000.bia", MeterArchiveBuilder()
                                                               .Value("Type", "M1")
                                                               .Value("Serial", "123")
                                                               .Record(9, {1, 2, 3})
                                                               .Build());
}

TEST(HeadlessHardeningTest, AClosedOutputDoesNotEndTheService) {
    TempDir dir;
    ConfigureDispatch(dir);
    DropMeterArchive(dir);
    // The reader takes the first line and goes; every later line meets a pipe without reader.
    const HeadlessRun run = RunHeadless(dir, ServiceScript()
                                                 .Before("mkfifo pipe; head -n1 <pipe >out.txt & ")
                                                 .Output("pipe")
                                                 .WaitUntil(FolderHolds("import", ".imp", 1)));
    EXPECT_TRUE(run.aliveAtSignal) << run.err;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ImportFiles(dir).size(), 1u);
    EXPECT_TRUE(RawFiles(dir).empty());
    EXPECT_TRUE(IniDocument::Load(dir / "program" / "zepimport.ini").Get("General", "SaveBin"));
}

TEST(HeadlessHardeningTest, ASecondInstanceOnTheSameProgramFolderRefusesToStart) {
    TempDir dir;
    const HeadlessRun run = RunHeadless(
        dir, ServiceScript().AfterStart("timeout 10 " + Zepimport() +
                                        " >out2.txt 2>err2.txt; echo $? >status2.txt; "));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileText(dir / "status2.txt"), "1\n");
    EXPECT_NE(ReadFileText(dir / "err2.txt").find(FolderInUseText(dir / "program")),
              std::string::npos)
        << ReadFileText(dir / "err2.txt");

    // An instance that was killed leaves no lock behind.
    // The output files of the run before go first, so that its start note is not taken for this
    // run's.
    const std::string fresh = "rm -f out.txt err.txt; ";
    const HeadlessRun killed = RunHeadless(dir, ServiceScript().Before(fresh).Signal("KILL"));
    EXPECT_TRUE(killed.aliveAtSignal);
    const HeadlessRun next = RunHeadless(dir, ServiceScript().Before(fresh));
    EXPECT_TRUE(next.aliveAtSignal) << next.err;
    EXPECT_EQ(next.status, 0) << next.err;
}

TEST(HeadlessHardeningTest, SettingsThatCannotBeSavedAreReportedAndTheExitSaysSo) {
    TempDir dir;
    std::filesystem::create_directories(dir / "program" / "zepimport.ini");
    const HeadlessRun run = RunHeadless(dir, ServiceScript());
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.find("settings saved"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("settings NOT saved"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Не удалось сохранить настройки в файл '"), std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace zep::test
