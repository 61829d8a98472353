// The Windows backend where it meets the system directly: COM ports that are not there, driver
// DLLs that cannot be loaded, the time base through TZ, and files in a folder named in Cyrillic.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/environment.h"
#include "platform/program_path.h"
#include "platform/publish_file.h"
#include "platform/serial_port_factory.h"
#include "platform/shared_library.h"
#include "platform/time_base.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

const fs::path kNullDriver = fs::path(ZEP_BINARY_DIR) / "test-drivers" / "vl_null.dll";

TEST(Win32SerialPort, APortWithoutADeviceDoesNotOpen) {
    auto port = CreateSerialPort();
    EXPECT_EQ(port->PortOpen(200), -1);
    EXPECT_EQ(port->PortOpen(0), -1);
    // Nothing else works on a port that is not open.
    EXPECT_EQ(port->PortSetLineParams(200, 12, 3), -1);
    EXPECT_EQ(port->PortGetSpeed(200), -1);
    EXPECT_LT(port->PortReadByte(200), 0);
    EXPECT_EQ(port->PortWrite(200, std::span<const std::uint8_t>()), -1);
}

TEST(Win32SharedLibrary, LoadsADriverAndFindsOnlyItsOwnExports) {
    ASSERT_TRUE(fs::exists(kNullDriver));
    auto library = SharedLibrary::Open(kNullDriver);
    ASSERT_TRUE(library.has_value());
    EXPECT_NE(library->Find("VLInit"), nullptr);
    // Imported from the C runtime, not exported by the driver.
    EXPECT_EQ(library->Find("memcpy"), nullptr);
    EXPECT_TRUE(HasSharedLibrarySuffix("METER.DLL"));
    EXPECT_FALSE(HasSharedLibrarySuffix("meter.dll.old"));
}

TEST(Win32SharedLibrary, FilesThatAreNoDllForThisProcessDoNotLoad) {
    test::TempDir dir;
    test::WriteFileText(dir / "text.dll", "not a library at all\n");
    // The same DLL marked as built for 32-bit x86: the loader must refuse it, not crash.
    auto bytes = test::ReadFileBytes(kNullDriver);
    ASSERT_GT(bytes.size(), 0x40u);
    const std::size_t pe = bytes[0x3C] | (bytes[0x3D] << 8);
    ASSERT_LT(pe + 6, bytes.size());
    bytes[pe + 4] = 0x4C;  // IMAGE_FILE_MACHINE_I386
    bytes[pe + 5] = 0x01;
    test::WriteFileBytes(dir / "x86.dll", bytes);
    EXPECT_FALSE(SharedLibrary::Open(dir / "text.dll").has_value());
    EXPECT_FALSE(SharedLibrary::Open(dir / "x86.dll").has_value());
    EXPECT_FALSE(SharedLibrary::Open(dir / "missing.dll").has_value());
}

TEST(Win32TimeBase, TheRuntimeZoneGivesWholeHoursWithoutSummerTime) {
    constexpr std::time_t kJuly = 1782907200;  // 2026-07-01 12:00:00 UTC
    const struct {
        const char* zone;
        const char* fixed;
        const char* july;
    } kCases[] = {
        {"MSK-3", "VLZ-3", "15:00:00 01.07.2026"},
        {"EST5EDT", "VLZ5", "07:00:00 01.07.2026"},  // no daylight saving in July
        {"IST-5:30", "VLZ-5", "17:00:00 01.07.2026"},
    };
    for (const auto& c : kCases) {
        test::ScopedEnv zone("TZ", c.zone);
        ASSERT_TRUE(FixTimeBase());
        EXPECT_EQ(EnvironmentValue("TZ"), c.fixed) << c.zone;
        EXPECT_EQ(FormatLocalTime(kJuly, kLogStampPattern), c.july) << c.zone;
    }
}

TEST(Win32Files, AProgramFolderInCyrillicKeepsItsName) {
    test::TempDir dir;
    const fs::path folder = dir.path() / L"Программа учёта";
    fs::create_directories(folder);
    EXPECT_EQ(SettingsFileFor(folder / L"Импорт.exe"), folder / L"Импорт.ini");

    auto first = PendingFile::Create(folder);
    ASSERT_TRUE(first.has_value());
    first->Write(std::string_view("first"));
    ASSERT_EQ(first->Publish(folder / L"архив.bia"), PublishResult::Published);
    // A taken name is never replaced.
    auto second = PendingFile::Create(folder);
    ASSERT_TRUE(second.has_value());
    second->Write(std::string_view("second"));
    EXPECT_EQ(second->Publish(folder / L"архив.bia"), PublishResult::NameTaken);
    EXPECT_EQ(second->Publish(folder / L"архив_1.bia"), PublishResult::Published);
    EXPECT_EQ(test::ReadFileText(folder / L"архив.bia"), "first");
    EXPECT_EQ(test::ReadFileText(folder / L"архив_1.bia"), "second");
    EXPECT_TRUE(FlushFolder(folder));
}

}  // namespace
}  // namespace zep
