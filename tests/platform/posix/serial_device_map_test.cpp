// COM numbers on Linux: built-in ports first, then USB and ACM adapters, the user's links winning
// over both; missing folders give nothing.
#include "platform/serial_device_map.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

// A made-up /sys/class/tty: entry name, whether a device stands behind it, its UART type.
void AddTty(const fs::path& sys, const std::string& name, bool device, const char* type) {
    fs::create_directories(sys / name);
    if (device)
        fs::create_directories(sys / name / "device");
    if (type)
        WriteFileText(sys / name / "type", type);
}

TEST(SerialDeviceMap, NumbersBuiltInPortsThenAdaptersAndLetsLinksWin) {
    TempDir root;
    const fs::path sys = root / "sys", links = root / "ports", dev = root / "dev";
    AddTty(sys, "ttyS0", true, "4\n");
    AddTty(sys, "ttyS1", true, "0\n");  // a slot without a UART
    AddTty(sys, "ttyS2", false, nullptr);
    AddTty(sys, "ttyS3", true, nullptr);
    AddTty(sys, "ttyUSB1", true, nullptr);
    AddTty(sys, "ttyUSB0", true, nullptr);
    AddTty(sys, "ttyUSB9", false, nullptr);  // gone
    AddTty(sys, "ttyACM0", true, nullptr);
    AddTty(sys, "tty0", true, nullptr);  // a console, not a serial port
    fs::create_directories(links);
    WriteFileText(root / "pts7", "");
    fs::create_symlink(root / "pts7", links / "COM2");
    fs::create_symlink(root / "pts7", links / "COM6");
    fs::create_symlink(root / "nowhere", links / "COM8");  // dangling: ignored
    fs::create_symlink(root / "pts7", links / "COM0");
    fs::create_symlink(root / "pts7", links / "COMx");
    fs::create_symlink(root / "pts7", links / "LPT1");

    const auto devices = ListSerialDevicesFrom({sys, dev, links});
    std::vector<std::pair<int, fs::path>> got;
    for (const auto& d : devices) got.emplace_back(d.number, d.device);
    EXPECT_EQ(got, (std::vector<std::pair<int, fs::path>>{{1, dev / "ttyS0"},
                                                          {2, links / "COM2"},
                                                          {4, dev / "ttyS3"},
                                                          {5, dev / "ttyUSB0"},
                                                          {6, links / "COM6"},
                                                          {7, dev / "ttyACM0"}}));
}

TEST(SerialDeviceMap, MissingFoldersGiveNothingAndLinksComeFromTheConfigHome) {
    TempDir root;
    EXPECT_TRUE(ListSerialDevicesFrom({root / "a", root / "b", root / "c"}).empty());

    ScopedEnv home("XDG_CONFIG_HOME", root.path().string());
    fs::create_directories(root / "zepimport" / "ports");
    WriteFileText(root / "tty", "");
    fs::create_symlink(root / "tty", root / "zepimport" / "ports" / "COM42");
    EXPECT_EQ(FindSerialDevice(42), root / "zepimport" / "ports" / "COM42");
    EXPECT_EQ(FindSerialDevice(43), std::nullopt);
}

}  // namespace
}  // namespace zep::test
