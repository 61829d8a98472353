#include "platform/program_path.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

TEST(SettingsFileFor, ReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ(SettingsFileFor("/opt/zep/zepimport"), "/opt/zep/zepimport.ini");
    EXPECT_EQ(SettingsFileFor("/opt/zep/zepimport.exe"), "/opt/zep/zepimport.ini");
    EXPECT_EQ(SettingsFileFor("a.b/prog.exe"), "a.b/prog.ini");
    EXPECT_EQ(SettingsFileFor("a.b/prog"), "a.b/prog.ini");
    EXPECT_EQ(SettingsFileFor("/x/.hidden"), "/x/.hidden.ini");
    EXPECT_EQ(SettingsFileFor("/x/arch.tar.gz"), "/x/arch.tar.ini");
}

TEST(ProgramPath, TheExecutableUnlessAFolderIsGiven) {
    // This test program is the executable ("platform_tests.exe" on Windows).
    const fs::path executable = ProgramFile().filename();
    EXPECT_EQ(executable.stem(), "platform_tests");
    EXPECT_TRUE(fs::is_regular_file(ProgramFile()));
    EXPECT_EQ(ProgramFolder(), ProgramFile().parent_path());

    test::TempDir dir;
    SetProgramDirOverride(dir.path());
    EXPECT_EQ(ProgramFolder(), dir.path());
    EXPECT_EQ(ProgramFile(), dir.path() / executable);
    EXPECT_EQ(SettingsFileFor(ProgramFile()), dir / "platform_tests.ini");
}

}  // namespace
}  // namespace zep
