#include "platform/dispatch_values.h"

#include <gtest/gtest.h>

#include "platform/config_home.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

TEST(DispatchValues, ReadFromTheGeneralSectionOfEachFile) {
    test::TempDir home;
    fs::create_directories(home / "Kestrom");
    test::WriteFileText(home / "Kestrom" / "Velmora.conf",
                        "[General]\nDrivers=/opt/velmora/drivers\nImport=/srv/import\n"
                        "[Other]\nPath=/wrong\n");
    test::WriteFileText(home / "Kestrom" / "Zuvo.conf", "[general]\ninstallto=/opt/zuvo\n");
    const DispatchValues values(home.path());
    EXPECT_EQ(values.Read(DispatchValue::Drivers), "/opt/velmora/drivers");
    EXPECT_EQ(values.Read(DispatchValue::Import), "/srv/import");
    EXPECT_EQ(values.Read(DispatchValue::Path), std::nullopt);  // only in another section
    EXPECT_EQ(values.Read(DispatchValue::InstallTo), "/opt/zuvo");
}

TEST(DispatchValues, MissingFilesAreMissingValues) {
    test::TempDir home;
    const DispatchValues values(home.path());
    EXPECT_EQ(values.Read(DispatchValue::Drivers), std::nullopt);
    EXPECT_EQ(values.Read(DispatchValue::InstallTo), std::nullopt);
    EXPECT_EQ(values.VelmoraFile(), home / "Kestrom" / "Velmora.conf");
    EXPECT_EQ(values.ZuvoFile(), home / "Kestrom" / "Zuvo.conf");
}

TEST(ConfigHome, XdgVariableWinsAndHomeIsTheFallback) {
    test::ScopedEnv home("HOME", "/home/someone");
    {
        test::ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/xdg");
        EXPECT_EQ(ConfigHome(), "/tmp/xdg");
        EXPECT_EQ(DispatchValues::FromEnvironment().VelmoraFile(), "/tmp/xdg/Kestrom/Velmora.conf");
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
