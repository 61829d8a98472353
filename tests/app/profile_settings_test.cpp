// The settings file as the profile functions read it: where it lies, defaults, atoi values, long
// values cut, writes that keep everything else, and a folder that cannot be written.
#include "app/profile_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/program_path.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

// Restores the working directory a test changed.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() : m_saved(fs::current_path()) {}
    ~CurrentDirectoryGuard() { fs::current_path(m_saved); }

private:
    fs::path m_saved;
};

TEST(ProfileSettingsPath, EmptyAndRelativeNamesAreAnchoredByTheFlag) {
    const fs::path program = "/opt/zep/bin/zepimport.exe";
    const fs::path current = "/home/user/work";
    EXPECT_EQ(ProfileSettings::ResolvePath("", true, program, current),
              "/opt/zep/bin/zepimport.ini");
    EXPECT_EQ(ProfileSettings::ResolvePath("", false, program, current),
              "/home/user/work/zepimport.ini");
    EXPECT_EQ(ProfileSettings::ResolvePath("", true, "/opt/zep/zepimport", current),
              "/opt/zep/zepimport.ini");
    EXPECT_EQ(ProfileSettings::ResolvePath("conf/a.ini", true, program, current),
              "/opt/zep/bin/conf/a.ini");
    EXPECT_EQ(ProfileSettings::ResolvePath("a.ini", false, program, "/home/user/work/"),
              "/home/user/work/a.ini");
    EXPECT_EQ(ProfileSettings::ResolvePath("/etc/zep.ini", true, program, current), "/etc/zep.ini");
    EXPECT_EQ(ProfileSettings::ResolvePath("/etc/zep.ini", false, program, current),
              "/etc/zep.ini");
}

TEST(ProfileSettingsPath, ConstructorUsesProgramFileAndCurrentDirectory) {
    test::TempDir dir;
    CurrentDirectoryGuard guard;
    fs::current_path(dir.path());
    const ProfileSettings relative("local.ini", "S", false);
    EXPECT_EQ(relative.File(), fs::current_path() / "local.ini");

    const ProfileSettings beside("", "S", true);
    EXPECT_EQ(beside.File(), SettingsFileFor(ProgramFile()));

    // Without a section name the application's name is the section.
    const ProfileSettings unnamed(dir.path().string() + "/x.ini", "", true);
    EXPECT_EQ(unnamed.Section(), SettingsFileFor(ProgramFile()).stem().string());
}

class ProfileSettingsFile : public ::testing::Test {
protected:
    fs::path Ini() const { return m_dir / "zepimport.ini"; }
    ProfileSettings Open(const char* section = "General") const {
        return ProfileSettings(Ini().string(), section, true);
    }
    test::TempDir m_dir;
};

TEST_F(ProfileSettingsFile, MissingFileGivesDefaultsAndIsNotCreatedByReading) {
    auto settings = Open();
    EXPECT_EQ(settings.ReadInt("m_expandActive", 1), 1);
    EXPECT_EQ(settings.ReadInt("m_port", 0, "COM Port"), 0);
    EXPECT_EQ(settings.Section(), "COM Port");
    EXPECT_EQ(settings.ReadText("Name", "fallback"), "fallback");
    EXPECT_EQ(settings.LastValue(), "fallback");
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(ProfileSettingsFile, ReadsValuesCaseInsensitivelyAndAsAtoi) {
    test::WriteFileText(Ini(),
                        "[general]\r\n"
                        "M_RUNMINIMIZED = 1\r\n"
                        "m_preview=12x\r\n"
                        "m_removable=-3\r\n"
                        "[COM Port]\r\n"
                        "m_port=abc\r\n"
                        "empty=\r\n");
    auto settings = Open();
    EXPECT_EQ(settings.ReadInt("m_runMinimized", 0), 1);
    EXPECT_EQ(settings.ReadInt("m_preview", 1), 12);
    EXPECT_EQ(settings.ReadInt("m_removable", 1), -3);
    // A key of another section is not seen from this one.
    EXPECT_EQ(settings.ReadInt("m_port", 5), 5);
    EXPECT_EQ(settings.ReadInt("m_port", 5, "com port"), 0);
    // Present but empty is not missing: atoi of "" is 0, not the default.
    EXPECT_EQ(settings.ReadInt("empty", 9), 0);
}

TEST_F(ProfileSettingsFile, LongValuesAreCutTo255AndKeptAsLastValue) {
    const std::string longValue(300, 'v');
    test::WriteFileText(Ini(), "[General]\nlong=" + longValue + "\nshort=ok\n");
    auto settings = Open();
    const auto value = settings.ReadText("long", "");
    EXPECT_EQ(value, std::string(255, 'v'));
    EXPECT_EQ(settings.LastValue(), value);
    EXPECT_EQ(settings.ReadText("short", "x"), "ok");
    EXPECT_EQ(settings.LastValue(), "ok");
    EXPECT_EQ(settings.ReadText("absent", std::string(400, 'd')).size(), 255u);
}

TEST_F(ProfileSettingsFile, WriteReplacesInPlaceAndKeepsEverythingElse) {
    const std::string before =
        "; settings of the import utility\r\n"
        "[Other]\r\n"
        "keep=this one\r\n"
        "\r\n"
        "[General]\r\n"
        "m_runMinimized=0\r\n"
        "; comment inside\r\n"
        "m_expandActive=1\r\n";
    test::WriteFileText(Ini(), before);
    auto settings = Open();
    settings.WriteInt("M_RunMinimized", 1);
    settings.WriteInt("m_port", -42, "COM Port");
    const std::string after = test::ReadFileText(Ini());
    EXPECT_EQ(after,
              "; settings of the import utility\r\n"
              "[Other]\r\n"
              "keep=this one\r\n"
              "\r\n"
              "[General]\r\n"
              "M_RunMinimized=1\r\n"
              "; comment inside\r\n"
              "m_expandActive=1\r\n"
              "\r\n"
              "[COM Port]\r\n"
              "m_port=-42\r\n");
    // No temporary file is left behind.
    EXPECT_EQ(test::ListFiles(m_dir.path()), std::vector<std::string>{"zepimport.ini"});
}

TEST_F(ProfileSettingsFile, ExchangeServesBothDirectionsWithOneListOfCalls) {
    struct Members {
        int runMinimized = 0, expandActive = 0, deleteAfter = 0, deleteFlash = 0;
        int removable = 0, preview = 0, saveBin = 0, port = 0;
    };
    const auto exchange = [this](bool saving, Members& m) {
        auto settings = Open();
        settings.ExchangeInt(saving, m.runMinimized, "m_runMinimized", std::nullopt, 0);
        settings.ExchangeInt(saving, m.expandActive, "m_expandActive", std::nullopt, 1);
        settings.ExchangeInt(saving, m.deleteAfter, "m_deleteAfter", std::nullopt, 0);
        settings.ExchangeInt(saving, m.deleteFlash, "m_deleteFlash", std::nullopt, 0);
        settings.ExchangeInt(saving, m.removable, "m_removable", std::nullopt, 1);
        settings.ExchangeInt(saving, m.preview, "m_preview", std::nullopt, 1);
        settings.ExchangeInt(saving, m.saveBin, "SaveBin", std::nullopt, 0);
        settings.ExchangeInt(saving, m.port, "m_port", "COM Port", 0);
    };

    Members first;
    first.runMinimized = 7;  // overwritten by the load
    exchange(false, first);
    EXPECT_EQ(first.runMinimized, 0);
    EXPECT_EQ(first.expandActive, 1);
    EXPECT_EQ(first.removable, 1);
    EXPECT_EQ(first.preview, 1);
    EXPECT_EQ(first.port, 0);
    EXPECT_FALSE(fs::exists(Ini()));

    first.deleteFlash = 1;
    first.port = 3;
    exchange(true, first);
    EXPECT_EQ(test::ReadFileText(Ini()),
              "[General]\n"
              "m_runMinimized=0\n"
              "m_expandActive=1\n"
              "m_deleteAfter=0\n"
              "m_deleteFlash=1\n"
              "m_removable=1\n"
              "m_preview=1\n"
              "SaveBin=0\n"
              "\n"
              "[COM Port]\n"
              "m_port=3\n");

    Members second;
    exchange(false, second);
    EXPECT_EQ(second.deleteFlash, 1);
    EXPECT_EQ(second.port, 3);
    EXPECT_EQ(second.expandActive, 1);
}

TEST_F(ProfileSettingsFile, UnwritableFolderIsSilentAndChangesNothing) {
    ProfileSettings settings((m_dir / "missing" / "zepimport.ini").string(), "General", true);
    settings.WriteInt("m_port", 4, "COM Port");
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
    EXPECT_EQ(settings.ReadInt("m_port", 0), 0);
}

}  // namespace
}  // namespace zep
