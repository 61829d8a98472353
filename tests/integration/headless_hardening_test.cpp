// The service against what its surroundings do to it: the reader of its output going away, a
// second copy started on the same program folder, a settings file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/ini_document.h"
#include "tests/support/archive_builder.h"
#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

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

}  // namespace
}  // namespace zep::test
