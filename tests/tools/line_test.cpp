// The tools' own lines: the device end of a pseudo-terminal and a raw tty opened by path.
#include "tools/common/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "tools/common/raw_tty.h"

namespace zep::tools {
namespace {

std::string ReadText(PseudoTerminal& terminal, std::size_t expected) {
    std::string text;
    std::array<std::uint8_t, 256> buffer{};
    for (int round = 0; round < 50 && text.size() < expected; ++round) {
        const int count = terminal.Read(buffer, 20);
        if (count < 0) {
            break;
        }
        text.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(count));
    }
    return text;
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(PseudoTerminal, SeesTheSlaveOpenAndCloseAndTheSpeedItSets) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.Open());
    EXPECT_FALSE(terminal.SlaveOpen());
    EXPECT_EQ(terminal.LineSpeed(), 9600);

    RawTty host;
    ASSERT_TRUE(host.Open(terminal.SlavePath(), 9600));
    EXPECT_TRUE(terminal.SlaveOpen());
    ASSERT_TRUE(host.SetSpeed(57600));
    EXPECT_EQ(terminal.LineSpeed(), 57600);

    host.Close();
    EXPECT_FALSE(terminal.SlaveOpen());
}

TEST(PseudoTerminal, CarriesBytesBothWaysUntranslated) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.Open());
    RawTty host;
    ASSERT_TRUE(host.Open(terminal.SlavePath(), 9600));

    const std::string fromHost = "get records\r\n\x11\x13\xFF";
    ASSERT_EQ(host.Write(Bytes(fromHost)), static_cast<int>(fromHost.size()));
    EXPECT_EQ(ReadText(terminal, fromHost.size()), fromHost);

    const std::string fromDevice = "Records=3\r\nCL>\n\r\x00\x7F";
    ASSERT_EQ(terminal.Write(Bytes(fromDevice), 100), static_cast<int>(fromDevice.size()));
    std::array<std::uint8_t, 64> buffer{};
    std::string received;
    while (received.size() < fromDevice.size()) {
        const int count = host.Read(buffer, 500);
        ASSERT_GT(count, 0);
        received.append(reinterpret_cast<const char*>(buffer.data()),
                        static_cast<std::size_t>(count));
    }
    EXPECT_EQ(received, fromDevice);
}

TEST(PseudoTerminal, DiscardKeepsStaleBytesFromTheNextOpener) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.Open());
    ASSERT_GT(terminal.Write(Bytes("stale"), 100), 0);
    terminal.Discard();

    RawTty host;
    ASSERT_TRUE(host.Open(terminal.SlavePath(), 9600));
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_EQ(host.Read(buffer, 100), 0);
}

TEST(PseudoTerminal, ClosingIsAnUnplugForTheHost) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.Open());
    const std::string path = terminal.SlavePath();
    RawTty host;
    ASSERT_TRUE(host.Open(path, 9600));

    terminal.Close();
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_EQ(host.Read(buffer, 500), -1);
    EXPECT_LT(terminal.Read(buffer, 10), 0);
    host.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(RawTty, RefusesWhatIsNotATerminalAndUnknownSpeeds) {
    RawTty tty;
    EXPECT_FALSE(tty.Open("/dev/null", 9600));
    EXPECT_FALSE(tty.Open("/nonexistent/tty", 9600));
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.Open());
    EXPECT_FALSE(tty.Open(terminal.SlavePath(), 12345));
    ASSERT_TRUE(tty.Open(terminal.SlavePath(), 115200));
    EXPECT_EQ(tty.Speed(), 115200);
    EXPECT_FALSE(tty.SetSpeed(1000));
    EXPECT_EQ(tty.Speed(), 115200);
}

}  // namespace
}  // namespace zep::tools
