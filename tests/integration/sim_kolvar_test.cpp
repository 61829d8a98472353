// The Kolvar device simulator over a pseudo-terminal: counts, sizes, records in chained chunks,
// and the faults it is asked to commit.
#include <gtest/gtest.h>

#include "core/crc16.h"
#include "tests/support/line_host.h"
#include "tools/sim/kolvar_device_sim.h"

namespace zep::sim {
namespace {

using test::LineHost;

SimOptions QuickOptions(std::vector<SimFault> faults = {}) {
    SimOptions options;
    options.announceDelayMs = 10;
    options.chunkSize = 200;
    options.faults = std::move(faults);
    return options;
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed * 31 + i * 13);
    }
    return bytes;
}

std::uint16_t Be16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

struct Chunk {
    int record = 0;
    int endOffset = 0;
    int status = 0;
    bool headerCrcGood = false;
    bool dataCrcGood = false;
    std::vector<std::uint8_t> data;
};

// One chunk frame as the layout has it, checked word by word.
Chunk ReadChunk(LineHost& host) {
    Chunk chunk;
    const auto head = host.ReadCount(18);
    if (head.size() != 18) {
        ADD_FAILURE() << "short chunk header";
        return chunk;
    }
    EXPECT_EQ(std::vector<std::uint8_t>(head.begin(), head.begin() + 4),
              (std::vector<std::uint8_t>{0xA5, 0x5A, 0xAA, 0x55}));
    chunk.record = Be16(head, 4);
    chunk.endOffset = Be16(head, 6);
    chunk.status = Be16(head, 10);
    EXPECT_EQ(std::vector<std::uint8_t>(head.begin() + 12, head.begin() + 16),
              std::vector<std::uint8_t>(4, 0));
    const std::uint16_t headerCrc = Crc16(std::span(head).first(16));
    chunk.headerCrcGood = headerCrc == Be16(head, 16);
    chunk.data = host.ReadCount(Be16(head, 8));
    const auto tail = host.ReadCount(2);
    chunk.dataCrcGood = tail.size() == 2 && Crc16(chunk.data, Be16(head, 16)) == Be16(tail, 0);
    return chunk;
}

std::string Ask(LineHost& host, const std::string& command) {
    host.Send(command + "\r");
    return host.ReadUntil("KLV10>");
}

void BeginSession(KolvarDeviceSim& device, LineHost& host) {
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(host.Open(device.SlavePath()));
    ASSERT_EQ(host.ReadUntil("KLV10>"), "KLV10>");
}

TEST(KolvarDeviceSim, AnswersCountsSizesAndSendsRecordsInChainedChunks) {
    const auto first = Pattern(300, 1);
    const auto second = Pattern(500, 2);
    KolvarDeviceSim device({{first, "r0"}, {second, "r1"}}, QuickOptions());
    LineHost host;
    BeginSession(device, host);

    host.Send("SET BAUDRATE 57600\r");
    ASSERT_TRUE(device.WaitFor([&] { return device.DeviceSpeed() == 57600; }, 2000));
    EXPECT_EQ(host.ReadQuiet(100), "");  // the switch is not answered
    host.SwitchSpeed(57600);

    EXPECT_EQ(Ask(host, "GET RECORDS"), "RECORDS=2\r\nKLV10>");
    EXPECT_EQ(Ask(host, "GET RECSIZE 0"), "RECSIZE=300\r\nKLV10>");
    EXPECT_EQ(Ask(host, "GET RECSIZE 1"), "RECSIZE=500\r\nKLV10>");
    EXPECT_EQ(Ask(host, "GET RECSIZE 2"), "ERROR\r\nKLV10>");

    host.Send("DOWNLOAD 0 0 300\r");
    const Chunk a = ReadChunk(host);
    const Chunk b = ReadChunk(host);
    EXPECT_EQ(host.ReadQuiet(100), "");  // no prompt behind the frames
    EXPECT_EQ(a.record, 0);
    EXPECT_EQ(a.endOffset, 200);
    EXPECT_EQ(b.endOffset, 300);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(b.status, 0);
    EXPECT_TRUE(a.headerCrcGood && a.dataCrcGood && b.headerCrcGood && b.dataCrcGood);
    std::vector<std::uint8_t> joined = a.data;
    joined.insert(joined.end(), b.data.begin(), b.data.end());
    EXPECT_EQ(joined, first);

    EXPECT_EQ(Ask(host, "DELETE RECORD 1"), "OK\r\nKLV10>");
    EXPECT_EQ(Ask(host, "DELETE RECORD 1"), "ERROR\r\nKLV10>");
    EXPECT_EQ(Ask(host, "GET RECORDS"), "RECORDS=1\r\nKLV10>");
    host.Send("EXIT\r");
    ASSERT_TRUE(device.WaitForSessions(1, 2000));
    EXPECT_EQ(device.DeletedRecords(), std::vector<int>{1});
    ASSERT_EQ(device.Records().size(), 1u);
    EXPECT_EQ(device.Records()[0].source, "r0");
    EXPECT_EQ(device.DeviceSpeed(), 9600);
    EXPECT_EQ(device.Commands().front(), "SET BAUDRATE 57600");
    EXPECT_EQ(device.Commands().back(), "EXIT");
}

TEST(KolvarDeviceSim, DamagedChunksAreTheOnesAskedFor) {
    KolvarDeviceSim device({{Pattern(450, 3), "r0"}},
                           QuickOptions({{FaultKind::BadHeaderCrc, "DOWNLOAD", 0, 1},
                                         {FaultKind::BadCrc, "DOWNLOAD", 1, 1, 1},
                                         {FaultKind::BadStatus, "DOWNLOAD", 2, 1}}));
    LineHost host;
    BeginSession(device, host);
    auto download = [&] {
        host.Send("DOWNLOAD 0 0 450\r");
        std::vector<Chunk> chunks;
        for (int i = 0; i < 3; ++i) {
            chunks.push_back(ReadChunk(host));
        }
        return chunks;
    };
    const auto headerHit = download();
    EXPECT_FALSE(headerHit[0].headerCrcGood);
    EXPECT_TRUE(headerHit[1].headerCrcGood && headerHit[2].headerCrcGood);

    const auto dataHit = download();
    EXPECT_TRUE(dataHit[0].dataCrcGood && dataHit[2].dataCrcGood);
    EXPECT_FALSE(dataHit[1].dataCrcGood);

    const auto statusHit = download();
    EXPECT_EQ(statusHit[2].status, 1);
    EXPECT_EQ(statusHit[0].status, 0);
    EXPECT_TRUE(statusHit[2].headerCrcGood && statusHit[2].dataCrcGood);
    EXPECT_EQ(statusHit[2].endOffset, 450);
}

TEST(KolvarDeviceSim, RefusedSwitchLeavesTheHostUnableToReadAndEmptyRecordsTravelInOneFrame) {
    KolvarDeviceSim device({{{}, "empty"}},
                           QuickOptions({{FaultKind::RefuseSpeed, "SET BAUDRATE", 0, 1},
                                         {FaultKind::MissingKey, "GET RECORDS", 1, 1}}));
    LineHost host;
    BeginSession(device, host);
    host.Send("SET BAUDRATE 57600\r");
    ASSERT_TRUE(device.WaitForCommands(1, 2000));
    host.SwitchSpeed(57600);
    host.Send("GET RECORDS\r");
    const std::string noise = host.ReadQuiet(200);
    EXPECT_EQ(noise.size(), std::string("RECORDS=1\r\nKLV10>").size());
    EXPECT_EQ(noise.find("KLV10>"), std::string::npos);
    EXPECT_EQ(device.DeviceSpeed(), 9600);

    host.SwitchSpeed(9600);
    EXPECT_EQ(Ask(host, "GET RECORDS"), "\r\nKLV10>");
    host.Send("DOWNLOAD 0 0 0\r");
    const Chunk empty = ReadChunk(host);
    EXPECT_TRUE(empty.data.empty());
    EXPECT_EQ(empty.endOffset, 0);
    EXPECT_TRUE(empty.headerCrcGood && empty.dataCrcGood);
}

}  // namespace
}  // namespace zep::sim
