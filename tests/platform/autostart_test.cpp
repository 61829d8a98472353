// The autostart entry: written with the quoted program path, recognised in any letter case,
// not recognised without the quotes, removed when switched off.
#include <gtest/gtest.h>

#include "platform/autostart.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

void WriteExec(const std::filesystem::path& home, const std::string& exec) {
    std::filesystem::create_directories(home / "autostart");
    WriteFileText(AutostartEntryFile(home),
                  "[Desktop Entry]\nType=Application\nExec=" + exec + "\n");
}

TEST(AutostartTest, OnWritesTheQuotedPathAndOffRemovesTheEntry) {
    TempDir home;
    const std::filesystem::path program = "/opt/Tools/prog";
    EXPECT_FALSE(QueryAutostart(home.path(), program));
    ASSERT_TRUE(SetAutostart(home.path(), program, true));
    EXPECT_EQ(AutostartEntryFile(home.path()), home / "autostart" / "ZEPImport.desktop");
    const std::string entry = ReadFileText(AutostartEntryFile(home.path()));
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nExec=\"/opt/Tools/prog\"\n"), std::string::npos);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_TRUE(QueryAutostart(home.path(), program));
    EXPECT_FALSE(QueryAutostart(home.path(), "/opt/Tools/other"));

    ASSERT_TRUE(SetAutostart(home.path(), program, false));
    EXPECT_FALSE(std::filesystem::exists(AutostartEntryFile(home.path())));
    EXPECT_FALSE(QueryAutostart(home.path(), program));
    EXPECT_TRUE(SetAutostart(home.path(), program, false));  // already off
}

TEST(AutostartTest, LetterCaseDoesNotMatterButTheQuotesDo) {
    TempDir home;
    WriteExec(home.path(), "\"/OPT/tools/PROG\"");
    EXPECT_TRUE(QueryAutostart(home.path(), "/opt/Tools/prog"));
    WriteExec(home.path(), "/opt/Tools/prog");
    EXPECT_FALSE(QueryAutostart(home.path(), "/opt/Tools/prog"));
    WriteExec(home.path(), "\"/opt/Tools/prog\" --headless");
    EXPECT_FALSE(QueryAutostart(home.path(), "/opt/Tools/prog"));
    // Only the main group counts.
    std::filesystem::create_directories(home / "autostart");
    WriteFileText(AutostartEntryFile(home.path()),
                  "[Desktop Action x]\nExec=\"/opt/Tools/prog\"\n[Desktop Entry]\nExec=other\n");
    EXPECT_FALSE(QueryAutostart(home.path(), "/opt/Tools/prog"));
}

TEST(AutostartTest, ReservedCharactersAreEscapedAndStillRecognised) {
    TempDir home;
    const std::filesystem::path program = "/home/a b/$x\"y\\z/prog";
    EXPECT_EQ(AutostartExecValue(program), R"("/home/a b/\\$x\\"y\\\\z/prog")");
    ASSERT_TRUE(SetAutostart(home.path(), program, true));
    EXPECT_TRUE(QueryAutostart(home.path(), program));
    EXPECT_FALSE(SetAutostart(home.path(), "/tmp/line\nbreak", true));
}

TEST(AutostartTest, UnwritableConfigFolderReportsFailure) {
    TempDir home;
    WriteFileText(home / "autostart", "a file where the folder should be");
    EXPECT_FALSE(SetAutostart(home.path(), "/opt/prog", true));
    EXPECT_FALSE(QueryAutostart(home.path(), "/opt/prog"));
}

}  // namespace
}  // namespace zep::test
