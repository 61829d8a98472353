// The dispatch values on Linux: the [General] group of "Kestrom/<section>.conf" below the
// configuration home, which $XDG_CONFIG_HOME names (~/.config when it is unset or empty).
#include <gtest/gtest.h>

#include "platform/autostart.h"
#include "platform/config_home.h"
#include "platform/posix/dispatch_conf.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

TEST(DispatchConf, ReadFromTheGeneralSectionOfEachFile) {
    test::TempDir home;
    fs::create_directories(home / "Kestrom");
    test::WriteFileText(home / "Kestrom" / "Velmora.conf",
                        "[General]\nDrivers=/opt/velmora/drivers\nImport=/srv/import\n"
                        "[Other]\nPath=/wrong\n");
    test::WriteFileText(home / "Kestrom" / "Zuvo.conf", "[general]\ninstallto=/opt/zuvo\n");
    const DispatchValues values = posix::DispatchValuesBelow(home.path());
    EXPECT_EQ(values.GetValue("Velmora", "Drivers"), "/opt/velmora/drivers");
    EXPECT_EQ(values.GetValue("Velmora", "Import"), "/srv/import");
    EXPECT_EQ(values.GetValue("Velmora", "Path"), std::nullopt);  // only in another section
    EXPECT_EQ(values.GetValue("Zuvo", "InstallTo"), "/opt/zuvo");
    EXPECT_EQ(values.GetValue("Zuvo", "Drivers"), std::nullopt);  // each section its own file
    // A section names a file; it cannot name one elsewhere.
    fs::create_directories(home / "Kestrom" / "sub");
    test::WriteFileText(home / "Kestrom" / "sub" / "x.conf", "[General]\nDrivers=/no\n");
    EXPECT_EQ(values.GetValue("sub/x", "Drivers"), std::nullopt);
}

TEST(DispatchConf, MissingFilesAreMissingValues) {
    test::TempDir home;
    const DispatchValues values = posix::DispatchValuesBelow(home.path());
    EXPECT_EQ(values.GetValue("Velmora", "Drivers"), std::nullopt);
    EXPECT_EQ(values.GetValue("Zuvo", "InstallTo"), std::nullopt);
    EXPECT_EQ(values.ForeignEncodingCarrier("Velmora"), std::nullopt);
}

// A file saved as UTF-16 (with its byte-order mark, as an editor writes "Unicode") gives no
// values, and is named as the file in that encoding; a plain one is not.
TEST(DispatchConf, AFileSavedAsUtf16IsMissingAndNamed) {
    test::TempDir home;
    fs::create_directories(home / "Kestrom");
    std::vector<std::uint8_t> utf16 = {0xFF, 0xFE};
    for (const char c : std::string("[General]\r\nImport=/srv/import\r\n")) {
        utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c), 0});
    }
    test::WriteFileBytes(home / "Kestrom" / "Velmora.conf", utf16);
    test::WriteFileText(home / "Kestrom" / "Zuvo.conf", "[General]\nInstallTo=/opt/zuvo\n");
    const DispatchValues values = posix::DispatchValuesBelow(home.path());
    EXPECT_EQ(values.GetValue("Velmora", "Import"), std::nullopt);
    EXPECT_EQ(values.ForeignEncodingCarrier("Velmora"), home / "Kestrom" / "Velmora.conf");
    EXPECT_EQ(values.ForeignEncodingCarrier("Zuvo"), std::nullopt);
}

// A file that is not a plain file is missing for the look-up and named by UnreadCarriers.
TEST(DispatchConf, FilesThatAreNotPlainFilesAreMissingAndNamed) {
    test::TempDir home;
    fs::create_directories(home / "Kestrom");
    fs::create_symlink("/dev/zero", home / "Kestrom" / "Velmora.conf");
    test::WriteFileText(home / "Kestrom" / "Zuvo.conf", "[General]\nInstallTo=/opt/zuvo\n");
    const DispatchValues values = posix::DispatchValuesBelow(home.path());
    EXPECT_EQ(values.GetValue("Velmora", "Drivers"), std::nullopt);
    EXPECT_EQ(values.GetValue("Zuvo", "InstallTo"), "/opt/zuvo");
    const auto unread = values.UnreadCarriers();
    ASSERT_EQ(unread.size(), 1u);
    EXPECT_EQ(unread[0].file, home / "Kestrom" / "Velmora.conf");
    EXPECT_EQ(unread[0].state, ConfigFileState::NotPlainFile);
}

TEST(ConfigHome, TheInstalledValuesAndAutostartLiveBelowIt) {
    test::TempDir home;
    fs::create_directories(home / "Kestrom");
    test::WriteFileText(home / "Kestrom" / "Zuvo.conf", "[General]\nInstallTo=/opt/zuvo\n");
    test::ScopedEnv xdg("XDG_CONFIG_HOME", home.path().string());
    EXPECT_EQ(DispatchValues::Installed().GetValue("Zuvo", "InstallTo"), "/opt/zuvo");
    ASSERT_TRUE(CreateSessionAutostart()->Set("/opt/prog", true));
    EXPECT_TRUE(fs::exists(home / "autostart" / "ZEPImport.desktop"));
}

TEST(ConfigHome, XdgVariableWinsAndHomeIsTheFallback) {
    test::ScopedEnv home("HOME", "/home/someone");
    {
        test::ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/xdg");
        EXPECT_EQ(ConfigHome(), "/tmp/xdg");
    }
    {
        test::ScopedEnv xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(ConfigHome(), "/home/someone/.config");
    }
    test::ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(ConfigHome(), "/home/someone/.config");
}

}  // namespace
}  // namespace zep
