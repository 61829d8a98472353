// The ZEP adapter simulator over a pseudo-terminal: files served and deleted as asked, prompts,
// the faults it commits, unplugging, and pacing at the speed in force.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "core/crc16.h"
#include "tests/support/fake_clock.h"
#include "tests/support/line_host.h"
#include "tools/common/pseudo_terminal.h"
#include "tools/sim/zep_adapter_sim.h"

namespace zep::sim {
namespace {

using test::AsBytes;
using test::AsText;
using test::LineHost;

SimOptions QuickOptions(std::vector<SimFault> faults = {}) {
    SimOptions options;
    options.announceDelayMs = 10;
    options.settleMs = 50;
    options.speedFollowMs = 1000;
    options.faults = std::move(faults);
    return options;
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

// Asks for 57600 and follows once the device has the command: the host's flush after switching
// would otherwise discard a command the device has not read yet.
void SendSwitch(ZepAdapterSim& adapter, LineHost& host) {
    const std::size_t before = adapter.Commands().size();
    host.Send("6");
    ASSERT_TRUE(adapter.WaitForCommands(before + 1, 2000));
    host.SwitchSpeed(57600);
}

// Opens the port, takes the prompt and switches to 57600 as the exchange does.
void BeginSession(ZepAdapterSim& adapter, LineHost& host, bool switchSpeed = true) {
    ASSERT_TRUE(adapter.Start());
    ASSERT_TRUE(host.Open(adapter.SlavePath()));
    ASSERT_EQ(host.ReadUntil("ZEP>"), "ZEP>");
    if (switchSpeed) {
        SendSwitch(adapter, host);
        ASSERT_EQ(host.ReadUntil("\r\n"), "OK\r\n");
    }
}

// Data block and its check word, least significant byte first.
std::vector<std::uint8_t> WithCrc(std::vector<std::uint8_t> data) {
    const std::uint16_t crc = Crc16(data);
    data.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    data.push_back(static_cast<std::uint8_t>(crc >> 8));
    return data;
}

TEST(ZepAdapterSim, ServesOneFilePerPassDeletesOnRequestAndEndsWithAnEmptyName) {
    const auto archive = Pattern(300, 1);
    ZepAdapterSim adapter({{"A.zep", archive}, {"B.zvo", {}}}, QuickOptions());
    LineHost host;
    BeginSession(adapter, host);
    EXPECT_EQ(adapter.LineSpeed(), 57600);
    EXPECT_EQ(adapter.DeviceSpeed(), 57600);

    host.Send("=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=A.zep,300\r\n");
    host.Send(">");
    EXPECT_EQ(host.ReadCount(302), WithCrc(archive));
    host.Send("-");
    EXPECT_EQ(host.ReadUntil("\r\n"), "OK\r\n");
    host.Send("+=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=B.zvo,0\r\n");
    host.Send(">");
    EXPECT_EQ(host.ReadCount(2), (std::vector<std::uint8_t>{0, 0}));
    host.Send("+=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=,0\r\n");
    host.Send("x");
    ASSERT_TRUE(adapter.WaitForSessions(1, 2000));

    EXPECT_EQ(adapter.Commands(),
              (std::vector<std::string>{"6", "=", ">", "-", "+", "=", ">", "+", "=", "x"}));
    EXPECT_EQ(adapter.DeletedFiles(), std::vector<std::string>{"A.zep"});
    ASSERT_EQ(adapter.Files().size(), 1u);
    EXPECT_EQ(adapter.Files()[0].name, "B.zvo");
    EXPECT_EQ(adapter.DeviceSpeed(), 9600);
}

TEST(ZepAdapterSim, StaysQuietAfterASessionUntilProbedAndStartsOverWithWhatIsLeft) {
    ZepAdapterSim adapter({{"A.zep", Pattern(10, 2)}, {"B.zep", Pattern(20, 3)}}, QuickOptions());
    LineHost host;
    BeginSession(adapter, host, false);
    host.Send("=-+=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=A.zep,10\r\n");
    EXPECT_EQ(host.ReadUntil("\r\n"), "OK\r\n");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=B.zep,20\r\n");
    host.Send("x");
    ASSERT_TRUE(adapter.WaitForSessions(1, 2000));
    EXPECT_EQ(host.ReadQuiet(300), "");

    host.Send("?");
    EXPECT_EQ(host.ReadUntil("ZEP>"), "ZEP>");
    host.Send("=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=B.zep,20\r\n");
    EXPECT_EQ(adapter.Announcements(), 2);
}

TEST(ZepAdapterSim, AnnouncesToEveryNewOpenerAndRepeatsWhenAskedTo) {
    ZepAdapterSim adapter({}, QuickOptions());
    ASSERT_TRUE(adapter.Start());
    LineHost host;
    for (int open = 1; open <= 2; ++open) {
        ASSERT_TRUE(host.Open(adapter.SlavePath()));
        EXPECT_EQ(host.ReadUntil("ZEP>"), "ZEP>");
        EXPECT_EQ(host.ReadQuiet(150), "");
        EXPECT_EQ(adapter.Announcements(), open);
        host.Close();
        ASSERT_TRUE(adapter.WaitFor([&] { return !adapter.HostConnected(); }, 2000));
    }

    SimOptions options = QuickOptions();
    options.announceEveryMs = 50;
    ZepAdapterSim repeating({}, options);
    ASSERT_TRUE(repeating.Start());
    ASSERT_TRUE(host.Open(repeating.SlavePath()));
    EXPECT_EQ(host.ReadUntil("ZEP>ZEP>ZEP>"), "ZEP>ZEP>ZEP>");
}

TEST(ZepAdapterSim, WrongCheckWordOnceThenRight) {
    const auto archive = Pattern(64, 5);
    ZepAdapterSim adapter({{"A.zep", archive}}, QuickOptions({{FaultKind::BadCrc, ">", 0, 1}}));
    LineHost host;
    BeginSession(adapter, host);
    host.Send(">");
    const auto first = host.ReadCount(66);
    host.Send(">");
    const auto second = host.ReadCount(66);
    EXPECT_EQ(second, WithCrc(archive));
    ASSERT_EQ(first.size(), 66u);
    EXPECT_TRUE(std::equal(archive.begin(), archive.end(), first.begin()));
    EXPECT_NE(first, second);
}

TEST(ZepAdapterSim, ErrorRepliesMissingKeysAndSilenceAreCommittedAsAsked) {
    ZepAdapterSim adapter({{"A.zep", Pattern(8, 1)}},
                          QuickOptions({{FaultKind::ErrorReply, "-", 0, 0},
                                        {FaultKind::Silence, "=", 0, 1},
                                        {FaultKind::MissingKey, "=", 0, 1}}));
    LineHost host;
    BeginSession(adapter, host);
    host.Send("=");
    EXPECT_EQ(host.ReadQuiet(200), "");
    host.Send("=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "A.zep,8\r\n");
    host.Send("=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=A.zep,8\r\n");
    for (int attempt = 0; attempt < 2; ++attempt) {
        host.Send("-");
        EXPECT_EQ(host.ReadUntil("\r\n"), "ERROR\r\n");
    }
    EXPECT_TRUE(adapter.DeletedFiles().empty());
    EXPECT_EQ(adapter.Files().size(), 1u);
}

TEST(ZepAdapterSim, RefusedSpeedSwitchCannotBeReadAtTheNewSpeed) {
    ZepAdapterSim adapter({{"A.zep", Pattern(8, 1)}},
                          QuickOptions({{FaultKind::RefuseSpeed, "6", 0, 1}}));
    LineHost host;
    BeginSession(adapter, host, false);
    SendSwitch(adapter, host);
    const std::string heard = host.ReadQuiet(300);
    EXPECT_EQ(heard.size(), 7u);  // "ERROR\r\n" sent at 9600, heard as noise
    EXPECT_EQ(heard.find_first_of("OKER\r\n"), std::string::npos);
    EXPECT_EQ(adapter.DeviceSpeed(), 9600);

    // Back at the device's speed the words are plain again.
    host.SwitchSpeed(9600);
    host.Send("=");
    EXPECT_EQ(host.ReadUntil("\r\n"), "FILE=A.zep,8\r\n");
}

TEST(ZepAdapterSim, TruncatedBlockStopsShortAndGarbagePrecedesThePrompt) {
    ZepAdapterSim adapter(
        {{"A.zep", Pattern(100, 1)}},
        QuickOptions({{FaultKind::Truncate, ">", 0, 1, 40}, {FaultKind::Garbage, "prompt", 0, 1}}));
    ASSERT_TRUE(adapter.Start());
    LineHost host;
    ASSERT_TRUE(host.Open(adapter.SlavePath()));
    const std::string prompt = host.ReadUntil("ZEP>");
    EXPECT_GT(prompt.size(), 4u);
    EXPECT_EQ(prompt.substr(prompt.size() - 4), "ZEP>");
    host.Send(">");
    EXPECT_EQ(host.ReadQuiet(300).size(), 40u);
}

TEST(ZepAdapterSim, UnplugMidTransferEndsTheHostsReads) {
    ZepAdapterSim adapter({{"A.zep", Pattern(1000, 1)}},
                          QuickOptions({{FaultKind::Unplug, ">", 0, 1, 100}}));
    LineHost host;
    BeginSession(adapter, host);
    const std::string path = adapter.SlavePath();
    host.Send(">");
    EXPECT_EQ(host.ReadCount(1002, 1000).size(), 100u);
    EXPECT_TRUE(host.LineLost());
    EXPECT_TRUE(adapter.WaitFor([&] { return adapter.Unplugged() && !adapter.Running(); }, 2000));
    host.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ZepAdapterSim, PacingFollowsTheSpeedInForce) {
    // Pacing sleeps on a clock that moves only when slept on.
    struct SteppedClock final : PaceClock {
        test::FakeClock fake;
        std::int64_t TickMs() override { return fake.TickMs(); }
        void SleepMs(int milliseconds) override { fake.SleepMs(milliseconds); }
        std::int64_t SleptMs() const { return fake.SleptMs(); }
    } clock;
    SimOptions options = QuickOptions();
    options.pace = true;
    options.clock = &clock;
    ZepAdapterSim adapter({{"A.zep", Pattern(958, 1)}}, options);
    LineHost host;
    BeginSession(adapter, host, false);

    // The device takes the next command only once it has finished sending, so an ignored byte
    // marks the end of whatever it was pacing.
    auto settled = [&] {
        const std::size_t before = adapter.Commands().size();
        host.Send("!");
        return adapter.WaitForCommands(before + 1, 2000);
    };
    // 960 bytes (data and check word) at 10 bits a byte.
    auto sleptForBlock = [&] {
        EXPECT_TRUE(settled());
        const auto before = clock.SleptMs();
        host.Send(">");
        EXPECT_EQ(host.ReadCount(960).size(), 960u);
        EXPECT_TRUE(settled());
        return clock.SleptMs() - before;
    };
    EXPECT_NEAR(sleptForBlock(), 1000, 2);  // 9600 bit/s

    SendSwitch(adapter, host);
    ASSERT_EQ(host.ReadUntil("\r\n"), "OK\r\n");
    EXPECT_NEAR(sleptForBlock(), 166, 2);  // 57600 bit/s
}

TEST(ZepAdapterSim, ServesAGivenTtyAndSetsItsOwnSpeedThere) {
    // The test holds the other end of a pseudo-terminal, as a host behind a real line would.
    tools::PseudoTerminal line;
    ASSERT_TRUE(line.Open());
    ZepAdapterSim adapter({{"A.zep", Pattern(5, 9)}}, QuickOptions());
    ASSERT_TRUE(adapter.StartOn(line.SlavePath()));
    auto hear = [&](std::size_t count) {
        std::string heard;
        std::array<std::uint8_t, 64> buffer{};
        for (int round = 0; round < 100 && heard.size() < count; ++round) {
            const int got = line.Read(buffer, 20);
            heard.append(reinterpret_cast<const char*>(buffer.data()), std::max(got, 0));
        }
        return heard;
    };
    EXPECT_EQ(hear(4), "ZEP>");
    const std::uint8_t command = '6';
    ASSERT_EQ(line.Write(std::span(&command, 1), 100), 1);
    EXPECT_EQ(hear(4), "OK\r\n");
    EXPECT_EQ(line.LineSpeed(), 57600);
}

}  // namespace
}  // namespace zep::sim
