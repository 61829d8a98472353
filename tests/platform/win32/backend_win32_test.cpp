// The Windows backend where it meets the system directly: COM ports that are not there or whose
// device hangs up, driver DLLs that cannot be loaded, the time base through TZ, and files in a
// folder named in Cyrillic.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/environment.h"
#include "platform/program_path.h"
#include "platform/publish_file.h"
#include "platform/serial_port_factory.h"
#include "platform/shared_library.h"
#include "platform/time_base.h"
#include "platform/win32/serial_comm_registry.h"
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

// The port that with-hung-up-port.py links to a pseudo-terminal in the Wine prefix, 0 outside
// its run.
int HangUpPort() {
    return std::atoi(EnvironmentValue("ZEP_HANGUP_PORT").value_or("0").c_str());
}

// A driver that lets go of a pulled device removes its port from the device map, while the
// handle may still answer.
TEST(Win32SerialPort, APortTheDeviceMapNoLongerNamesIsGone) {
    const int com = HangUpPort();
    if (com == 0) {
        GTEST_SKIP() << "changes the device map: only in with-hung-up-port.py's Wine prefix";
    }
    const std::wstring value = L"\\Device\\ZepImportTest";
    const std::wstring data = L"COM" + std::to_wstring(com);
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, win32::kSerialCommKey, value.c_str(), REG_SZ,
                        data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
    auto port = CreateSerialPort();
    ASSERT_EQ(port->PortOpen(com), 0);
    EXPECT_FALSE(port->PortGone(com));
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, win32::kSerialCommKey, value.c_str()),
              ERROR_SUCCESS);
    EXPECT_TRUE(port->PortGone(com));
}

// The other end of the pseudo-terminal closes once the ready file appears, as a simulator or a
// pulled adapter ends: the port that Wine keeps open on it must then report its device gone.
TEST(Win32SerialPort, APortWhoseDeviceHangsUpIsGone) {
    const int com = HangUpPort();
    const std::string ready = EnvironmentValue("ZEP_HANGUP_READY").value_or("");
    if (com == 0 || ready.empty()) {
        GTEST_SKIP() << "needs a port that hangs up (with-hung-up-port.py)";
    }
    auto port = CreateSerialPort();
    EXPECT_FALSE(port->PortGone(com)) << "not open";
    ASSERT_EQ(port->PortOpen(com), 0);
    ASSERT_EQ(port->PortSetLineParams(com, kRateCode9600, kMode8N1), 0);
    // A live line without modem lines, as Wine gives a pseudo-terminal, is not gone.
    EXPECT_EQ(port->PortLineStatus(com), 0);
    EXPECT_FALSE(port->PortGone(com));
    std::ofstream(fs::path(ready)).put('\n');
    // The other end closes at some moment after the file appears; a real device, no clock to fake.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!port->PortGone(com) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(port->PortGone(com));
    port->PortClose(com);
    EXPECT_FALSE(port->PortGone(com)) << "closed";
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
