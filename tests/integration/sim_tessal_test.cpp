// The Tessal collector simulator over a pseudo-terminal: a session whose volumes join into the
// archive, and the bad frames and error replies it is asked to send.
#include <gtest/gtest.h>

#include "convert/assembled_archive.h"
#include "core/crc16.h"
#include "tests/support/line_host.h"
#include "tools/sim/sim_content.h"
#include "tools/sim/tessal_collector_sim.h"

namespace zep::sim {
namespace {

using test::LineHost;

SimOptions QuickOptions(std::vector<SimFault> faults = {}) {
    SimOptions options;
    options.announceDelayMs = 10;
    options.settleMs = 50;
    options.speedFollowMs = 1000;
    options.faults = std::move(faults);
    return options;
}

std::vector<ArchiveRecord> SomeRecords(int count) {
    std::vector<ArchiveRecord> records;
    for (int i = 0; i < count; ++i) {
        records.push_back({static_cast<std::uint8_t>(i % 3),
                           std::vector<std::uint8_t>(20 + i, static_cast<std::uint8_t>(i))});
    }
    return records;
}

// Two archives: the first of three volumes, the second of one.
TessalDatabase TwoArchives(std::vector<std::uint8_t>& firstImage) {
    firstImage =
        BuildAssembledArchive({"5.3.2007 9:07", "M1", "1", "Boiler", "123", "1"}, SomeRecords(6));
    TessalDatabase database;
    database.archives.push_back({SplitIntoVolumes(firstImage, 90), "first"});
    database.archives.push_back(
        {SplitIntoVolumes(BuildAssembledArchive({"t", "M1", "2", "B", "9", "1"}, SomeRecords(1)),
                          8192),
         "second"});
    EXPECT_EQ(database.archives[0].volumes.size(), 3u);
    return database;
}

void BeginSession(TessalCollectorSim& collector, LineHost& host) {
    ASSERT_TRUE(collector.Start());
    ASSERT_TRUE(host.Open(collector.SlavePath()));
    ASSERT_EQ(host.ReadUntil("CL>"), "CL>");
}

std::string Ask(LineHost& host, const std::string& command) {
    host.Send(command + "\r\n");
    return host.ReadUntil("CL>");
}

// A volume frame: "Tess", L and the check word most significant byte first, then L - 2 bytes.
std::vector<std::uint8_t> ReadVolume(LineHost& host, int start, int index, bool& crcGood) {
    host.Send("download volume " + std::to_string(start) + " " + std::to_string(index) + "\r\n");
    const auto head = host.ReadCount(8);
    EXPECT_EQ(test::AsText(std::vector<std::uint8_t>(head.begin(), head.begin() + 4)), "Tess");
    const std::size_t length = (std::size_t{head[4]} << 8) | head[5];
    const std::uint16_t crc = static_cast<std::uint16_t>((head[6] << 8) | head[7]);
    auto data = host.ReadCount(length - 2);
    EXPECT_EQ(data.size(), length - 2);
    crcGood = Crc16(data) == crc;
    return data;
}

TEST(TessalCollectorSim, AnswersTheSessionAndItsVolumesJoinIntoTheArchive) {
    std::vector<std::uint8_t> image;
    TessalDatabase database = TwoArchives(image);
    database.version = "0.95";
    TessalCollectorSim collector(database, QuickOptions());
    LineHost host;
    BeginSession(collector, host);

    // The answer to the switch comes only once the host runs at the new speed.
    host.Send("set baudrate 57600 5\r\n");
    EXPECT_EQ(host.ReadQuiet(200), "");
    host.SwitchSpeed(57600);
    EXPECT_EQ(host.ReadUntil("CL>"), "BaudRate=57600\r\nCL>");

    EXPECT_EQ(Ask(host, "version"), "Version=0.95\r\nCL>");
    EXPECT_EQ(Ask(host, "get records"), "Records=4\r\nCL>");
    EXPECT_EQ(Ask(host, "get volumes 0"), "Volumes=3\r\nCL>");
    EXPECT_EQ(Ask(host, "get volumes 1"), "Error\r\nCL>");  // inside an archive
    EXPECT_EQ(Ask(host, "get volumes 3"), "Volumes=1\r\nCL>");
    EXPECT_EQ(Ask(host, "get recsize 1"),
              "RecSize=" + std::to_string(database.archives[0].volumes[1].size() + 4) + "\r\nCL>");
    EXPECT_EQ(Ask(host, "get recsize 4"), "Error\r\nCL>");

    std::vector<std::uint8_t> joined;
    for (int index = 0; index < 3; ++index) {
        bool crcGood = false;
        const auto data = ReadVolume(host, 0, index, crcGood);
        EXPECT_TRUE(crcGood);
        EXPECT_EQ(data, database.archives[0].volumes[index]);
        const std::size_t skip = index == 0 ? 0 : ((std::size_t{data[0]} << 8) | data[1]) + 2;
        joined.insert(joined.end(), data.begin() + static_cast<std::ptrdiff_t>(skip), data.end());
    }
    EXPECT_EQ(joined, image);
    int records = 0;
    EXPECT_EQ(WalkAssembledArchive(joined, [&](const AssembledRecord&) { return ++records > 0; }),
              WalkResult::Ok);
    EXPECT_EQ(records, 6);

    EXPECT_EQ(Ask(host, "delete archive 0 1"), "OK\r\nCL>");
    EXPECT_EQ(Ask(host, "get records"), "Records=4\r\nCL>");  // numbers hold until the end
    host.Send("exit\r\n");
    ASSERT_TRUE(collector.WaitForSessions(1, 2000));
    EXPECT_EQ(collector.MarkedArchives(), std::vector<int>{0});
    ASSERT_EQ(collector.Archives().size(), 1u);
    EXPECT_EQ(collector.Archives()[0].source, "second");
    EXPECT_EQ(collector.DeviceSpeed(), 9600);
    EXPECT_EQ(host.ReadQuiet(200), "");  // no prompt after the session
}

TEST(TessalCollectorSim, WrongFrameCheckWordOnceAndErrorAndMissingKeyReplies) {
    std::vector<std::uint8_t> image;
    TessalCollectorSim collector(TwoArchives(image),
                                 QuickOptions({{FaultKind::BadCrc, "download volume", 1, 1},
                                               {FaultKind::ErrorReply, "version", 0, 0},
                                               {FaultKind::MissingKey, "get records", 0, 1},
                                               {FaultKind::Garbage, "get volumes", 0, 1}}));
    LineHost host;
    BeginSession(collector, host);
    EXPECT_EQ(Ask(host, "version"), "Error\r\nCL>");
    EXPECT_EQ(Ask(host, "version"), "Error\r\nCL>");
    EXPECT_EQ(Ask(host, "get records"), "\r\nCL>");
    EXPECT_EQ(Ask(host, "get records"), "Records=4\r\nCL>");
    const std::string withNoise = Ask(host, "get volumes 0");
    EXPECT_GT(withNoise.size(), std::string("Volumes=3\r\nCL>").size());
    EXPECT_TRUE(withNoise.ends_with("Volumes=3\r\nCL>"));
    EXPECT_EQ(withNoise.find('>'), withNoise.size() - 1);  // noise never looks like a prompt

    bool crcGood = false;
    ReadVolume(host, 0, 0, crcGood);
    EXPECT_TRUE(crcGood);  // the first download is let through
    ReadVolume(host, 0, 1, crcGood);
    EXPECT_FALSE(crcGood);
    ReadVolume(host, 0, 1, crcGood);
    EXPECT_TRUE(crcGood);
}

TEST(TessalCollectorSim, UnknownCommandsAndBadSpeedsGetTheErrorReply) {
    std::vector<std::uint8_t> image;
    SimOptions options = QuickOptions({{FaultKind::RefuseSpeed, "set baudrate", 1, 1}});
    options.speedFollowMs = 200;
    TessalCollectorSim collector(TwoArchives(image), options);
    LineHost host;
    BeginSession(collector, host);
    EXPECT_EQ(Ask(host, "format disk"), "Error\r\nCL>");
    EXPECT_EQ(Ask(host, "set baudrate 12345 5"), "Error\r\nCL>");
    EXPECT_EQ(Ask(host, "delete archive 2 1"), "Error\r\nCL>");
    // A refused switch: the device stays at 9600 and, the host staying too, is understood.
    host.Send("set baudrate 57600 5\r\n");
    EXPECT_EQ(host.ReadUntil("CL>"), "Error\r\nCL>");
    EXPECT_EQ(collector.DeviceSpeed(), 9600);
    EXPECT_TRUE(collector.MarkedArchives().empty());
}

}  // namespace
}  // namespace zep::sim
