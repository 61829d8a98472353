// The program file and folder, the settings file beside it, and the choice of the folder.
#include "platform/program_path.h"

#include <gtest/gtest.h>

#include <optional>

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

// The window program stands in for the launcher that started it.
TEST(ProgramPath, AGivenExecutableNamesTheProgramFileAndItsFolder) {
    test::TempDir dir;
    SetExecutablePathOverride(dir / "zepimport");
    EXPECT_EQ(ExecutablePath(), dir / "zepimport");
    EXPECT_EQ(ProgramFile().filename(), "zepimport");
    // The folder of a given executable is tried as the program folder when none is given.
    if (ProgramFolderInUse().source != ProgramFolderSource::Given) {
        EXPECT_EQ(ProgramFolder(), dir.path());
    }
    SetExecutablePathOverride(RunningExecutablePath());
}

TEST(ProgramFolder, GivenFolderThenWritableExecutableFolderThenDataHome) {
    const fs::path bin = "/usr/bin";
    const fs::path data = "/home/u/.local/share";
    const struct {
        std::optional<fs::path> given;
        bool writable;
        fs::path folder;
        ProgramFolderSource source;
    } cases[] = {
        {"/srv/zep", false, "/srv/zep", ProgramFolderSource::Given},
        {"/srv/zep", true, "/srv/zep", ProgramFolderSource::Given},
        {std::nullopt, true, bin, ProgramFolderSource::Executable},
        {std::nullopt, false, data / "zepimport", ProgramFolderSource::DataHome},
    };
    for (const auto& c : cases) {
        const auto choice = ChooseProgramFolder(c.given, bin, c.writable, data);
        EXPECT_EQ(choice.folder, c.folder);
        EXPECT_EQ(choice.source, c.source);
    }
}

TEST(ProgramFolder, ProbeCreatesAFileAndLeavesNothingBehind) {
    test::TempDir dir;
    EXPECT_TRUE(CanCreateFilesIn(dir.path()));
    EXPECT_TRUE(ExecutableFolderUsable(dir.path()));
    EXPECT_TRUE(fs::is_empty(dir.path()));
    // A package's folder stays the package's, writable or not.
    test::WriteFileText(dir / kInstalledMarker, "");
    EXPECT_FALSE(ExecutableFolderUsable(dir.path()));
    EXPECT_FALSE(CanCreateFilesIn(dir / "missing"));
}

TEST(ProgramFolder, ProbeSaysNoWhereNotEvenTheSuperuserCanCreateFiles) {
    // Permission bits do not stop the superuser, who runs these tests in CI; the proc file
    // system refuses new files to everyone.
    if (!fs::is_directory("/proc/self")) {
        GTEST_SKIP() << "no proc file system";
    }
    EXPECT_FALSE(CanCreateFilesIn("/proc"));
}

}  // namespace
}  // namespace zep
