// The serial port component on real pseudo-terminals, reached through COM links in a private
// configuration folder.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

#include "platform/serial_port_factory.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tools/common/pseudo_terminal.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;
using tools::PseudoTerminal;

class SerialPortPosixTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_homeEnv.emplace("XDG_CONFIG_HOME", m_home.path().string());
        ASSERT_TRUE(device.Open());
        Link(kPort, device.SlavePath());
    }
    void TearDown() override {
        port->PortClose(kPort);
        m_homeEnv.reset();
    }
    void Link(int number, const std::string& target) {
        const fs::path folder = m_home.path() / "zepimport" / "ports";
        fs::create_directories(folder);
        fs::create_symlink(target, folder / ("COM" + std::to_string(number)));
    }
    void DeviceSends(const std::string& text) {
        ASSERT_EQ(
            device.Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, 1000),
            static_cast<int>(text.size()));
    }
    std::string DeviceReceives(std::size_t count) {
        std::string got;
        std::uint8_t buffer[256];
        for (int tries = 0; tries < 50 && got.size() < count; ++tries) {
            const int n = device.Read(buffer, 100);
            if (n < 0)
                break;
            got.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
        }
        return got;
    }

    static constexpr int kPort = 77;
    TempDir m_home;
    std::optional<ScopedEnv> m_homeEnv;
    PseudoTerminal device;
    std::unique_ptr<SerialPort> port = CreateSerialPort();
};

TEST_F(SerialPortPosixTest, OpensExclusivelyByNumberAndReleasesOnClose) {
    EXPECT_NE(port->PortOpen(78), 0);          // no such port
    EXPECT_EQ(port->PortGetSpeed(kPort), -1);  // not open yet
    ASSERT_EQ(port->PortOpen(kPort), 0);
    EXPECT_NE(port->PortOpen(kPort), 0);
    auto other = CreateSerialPort();
    EXPECT_NE(other->PortOpen(kPort), 0);  // another opener is refused
    // Two ports of one component are independent.
    PseudoTerminal second;
    ASSERT_TRUE(second.Open());
    Link(79, second.SlavePath());
    EXPECT_EQ(port->PortOpen(79), 0);
    port->PortClose(79);
    port->PortClose(kPort);
    EXPECT_EQ(port->PortReadByte(kPort), -1);
    EXPECT_EQ(other->PortOpen(kPort), 0);
    other->PortClose(kPort);
}

TEST_F(SerialPortPosixTest, LineParametersAndSpeeds) {
    ASSERT_EQ(port->PortOpen(kPort), 0);
    EXPECT_EQ(port->PortSetLineParams(kPort, 12, 3), 0);
    EXPECT_EQ(port->PortSetFlowControl(kPort, 0), 0);
    EXPECT_EQ(port->PortGetSpeed(kPort), 9600);
    EXPECT_EQ(device.LineSpeed(), 9600);
    EXPECT_EQ(port->PortSetSpeed(kPort, 57600), 0);
    EXPECT_EQ(port->PortGetSpeed(kPort), 57600);
    EXPECT_EQ(device.LineSpeed(), 57600);
    EXPECT_EQ(port->PortSetSpeed(kPort, 19200), 0);  // any standard speed comes back as set
    EXPECT_EQ(port->PortGetSpeed(kPort), 19200);
    EXPECT_NE(port->PortSetSpeed(kPort, 12345), 0);
    EXPECT_NE(port->PortSetLineParams(kPort, 13, 3), 0);
    EXPECT_EQ(port->PortGetSpeed(kPort), 19200);
    EXPECT_EQ(port->PortLineStatus(kPort), 0);  // no modem lines on a pseudo-terminal
}

TEST_F(SerialPortPosixTest, ReadTimeOutsDecideWhetherAReadWaits) {
    ASSERT_EQ(port->PortOpen(kPort), 0);
    ASSERT_EQ(port->PortSetReadTimeouts(kPort, kNeverWait, 1), 0);
    DeviceSends("AB");
    EXPECT_EQ(port->PortReadByte(kPort), 'A');
    EXPECT_EQ(port->PortReadByte(kPort), 'B');
    EXPECT_LT(port->PortReadByte(kPort), 0);

    // A byte sent a little later is missed without waiting, and caught when waiting is asked.
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        DeviceSends("C");
    });
    EXPECT_LT(port->PortReadByte(kPort), 0);
    ASSERT_EQ(port->PortSetReadTimeouts(kPort, 5000, 5000), 0);
    EXPECT_EQ(port->PortReadByte(kPort), 'C');
    late.join();
    std::uint32_t total = 0, interval = 0;
    EXPECT_EQ(port->PortGetReadTimeouts(kPort, total, interval), 0);
    EXPECT_EQ(total, 5000u);
    EXPECT_EQ(interval, 5000u);

    DeviceSends("xyz");
    std::uint8_t two[2];
    EXPECT_EQ(port->PortRead(kPort, two), 2);
    EXPECT_EQ(two[0], 'x');
    EXPECT_EQ(port->PortReadByte(kPort), 'z');
}

TEST_F(SerialPortPosixTest, WritesFlushAndUnplug) {
    ASSERT_EQ(port->PortOpen(kPort), 0);
    const std::string command = "get records\r\n";
    EXPECT_EQ(port->PortWrite(
                  kPort, {reinterpret_cast<const std::uint8_t*>(command.data()), command.size()}),
              static_cast<int>(command.size()));
    EXPECT_EQ(port->PortWriteByte(kPort, '?'), 1);
    EXPECT_EQ(DeviceReceives(command.size() + 1), command + "?");
    EXPECT_GE(port->PortOutputPending(kPort), 0);

    // Once the first byte is seen the rest has arrived too; the flush drops it.
    ASSERT_EQ(port->PortSetReadTimeouts(kPort, 2000, 2000), 0);
    DeviceSends("stale");
    EXPECT_EQ(port->PortReadByte(kPort), 's');
    EXPECT_EQ(port->PortFlush(kPort, 2), 0);
    ASSERT_EQ(port->PortSetReadTimeouts(kPort, kNeverWait, 1), 0);
    EXPECT_LT(port->PortReadByte(kPort), 0);

    // The device goes away: even a waiting read fails instead of hanging.
    ASSERT_EQ(port->PortSetReadTimeouts(kPort, 2000, 2000), 0);
    device.Close();
    EXPECT_LT(port->PortReadByte(kPort), 0);
}

struct GoneCase {
    const char* name;
    void (*unplug)(PseudoTerminal& device, const fs::path& link);
};

class SerialPortGoneTest : public SerialPortPosixTest,
                           public ::testing::WithParamInterface<GoneCase> {
protected:
    fs::path ComLink() const {
        return m_home.path() / "zepimport" / "ports" / ("COM" + std::to_string(kPort));
    }
};

TEST_P(SerialPortGoneTest, OpenPortReportsItsDeviceGone) {
    EXPECT_FALSE(port->PortGone(kPort)) << "not open";
    ASSERT_EQ(port->PortOpen(kPort), 0);
    DeviceSends("x");
    EXPECT_FALSE(port->PortGone(kPort)) << "waiting input is no hang-up";
    GetParam().unplug(device, ComLink());
    EXPECT_TRUE(port->PortGone(kPort));
    port->PortClose(kPort);
    EXPECT_FALSE(port->PortGone(kPort));
}

INSTANTIATE_TEST_SUITE_P(
    Unplugs, SerialPortGoneTest,
    ::testing::Values(
        GoneCase{"LinkRemoved", [](PseudoTerminal&, const fs::path& link) { fs::remove(link); }},
        GoneCase{"MasterClosed", [](PseudoTerminal& device, const fs::path&) { device.Close(); }},
        GoneCase{"LinkPointsElsewhere",
                 [](PseudoTerminal&, const fs::path& link) {
                     fs::remove(link);
                     fs::create_symlink("/dev/null", link);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zep::test
