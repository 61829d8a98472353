// The autostart entry: written with the quoted program path, recognised in any letter case,
// not recognised without the quotes, removed when switched off.
#include <gtest/gtest.h>

#include "platform/posix/xdg_autostart.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

using posix::AutostartEntryFile;
using posix::AutostartExecValue;
using posix::XdgAutostart;

void WriteExec(const std::filesystem::path& home, const std::string& exec) {
    std::filesystem::create_directories(home / "autostart");
    WriteFileText(AutostartEntryFile(home),
                  "[Desktop Entry]\nType=Application\nExec=" + exec + "\n");
}

TEST(XdgAutostart, OnWritesTheQuotedPathAndOffRemovesTheEntry) {
    TempDir home;
    const std::filesystem::path program = "/opt/Tools/prog";
    EXPECT_FALSE(XdgAutostart(home.path()).Query(program));
    ASSERT_TRUE(XdgAutostart(home.path()).Set(program, true));
    EXPECT_EQ(AutostartEntryFile(home.path()), home / "autostart" / "ZEPImport.desktop");
    const std::string entry = ReadFileText(AutostartEntryFile(home.path()));
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nExec=\"/opt/Tools/prog\"\n"), std::string::npos);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_TRUE(XdgAutostart(home.path()).Query(program));
    EXPECT_FALSE(XdgAutostart(home.path()).Query("/opt/Tools/other"));

    ASSERT_TRUE(XdgAutostart(home.path()).Set(program, false));
    EXPECT_FALSE(std::filesystem::exists(AutostartEntryFile(home.path())));
    EXPECT_FALSE(XdgAutostart(home.path()).Query(program));
    EXPECT_TRUE(XdgAutostart(home.path()).Set(program, false));  // already off
}

TEST(XdgAutostart, LetterCaseDoesNotMatterButTheQuotesDo) {
    TempDir home;
    WriteExec(home.path(), "\"/OPT/tools/PROG\"");
    EXPECT_TRUE(XdgAutostart(home.path()).Query("/opt/Tools/prog"));
    WriteExec(home.path(), "/opt/Tools/prog");
    EXPECT_FALSE(XdgAutostart(home.path()).Query("/opt/Tools/prog"));
    WriteExec(home.path(), "\"/opt/Tools/prog\" --headless");
    EXPECT_FALSE(XdgAutostart(home.path()).Query("/opt/Tools/prog"));
    // Only the main group counts.
    std::filesystem::create_directories(home / "autostart");
    WriteFileText(AutostartEntryFile(home.path()),
                  "[Desktop Action x]\nExec=\"/opt/Tools/prog\"\n[Desktop Entry]\nExec=other\n");
    EXPECT_FALSE(XdgAutostart(home.path()).Query("/opt/Tools/prog"));
}

TEST(XdgAutostart, ReservedCharactersAreEscapedAndStillRecognised) {
    TempDir home;
    const std::filesystem::path program = "/home/a b/$x\"y\\z/prog";
    EXPECT_EQ(AutostartExecValue(program), R"("/home/a b/\\$x\\"y\\\\z/prog")");
    ASSERT_TRUE(XdgAutostart(home.path()).Set(program, true));
    EXPECT_TRUE(XdgAutostart(home.path()).Query(program));
    EXPECT_FALSE(XdgAutostart(home.path()).Set("/tmp/line\nbreak", true));
}

TEST(XdgAutostart, UnwritableConfigFolderReportsFailure) {
    TempDir home;
    WriteFileText(home / "autostart", "a file where the folder should be");
    EXPECT_FALSE(XdgAutostart(home.path()).Set("/opt/prog", true));
    EXPECT_FALSE(XdgAutostart(home.path()).Query("/opt/prog"));
}

}  // namespace
}  // namespace zep::test
