// A session recorded on a fake port and played back: the program meets the same answers, the
// first request that differs is named, the wall clock comes back in this process's time base,
// and a damaged recording is an error with its offset, never a read outside the file.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "link/session_replay.h"
#include "link/session_tape.h"
#include "tests/link/link_test_support.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/memory_recording.h"
#include "tests/support/recording_report.h"

namespace zep::test {
namespace {

// How a later run of the program differs from the recorded one.
struct Variation {
    std::string command = "get\r";
    int speed = 57600;
    std::uint8_t fileByte = 1;
    bool stopsEarly = false;
};

// A program that uses every kind of call; what it saw, to compare between runs.
std::vector<std::int64_t> Program(SerialPort& port, Clock& clock, RawFileObserver& files,
                                  const Variation& v = {}) {
    std::vector<std::int64_t> seen;
    seen.push_back(port.PortGetSpeed(1));
    seen.push_back(port.PortSetSpeed(1, v.speed));
    std::uint32_t total = 0, interval = 0;
    seen.push_back(port.PortGetReadTimeouts(1, total, interval));
    seen.insert(seen.end(), {total, interval});
    seen.push_back(port.PortSetReadTimeouts(1, 500, 500));
    seen.push_back(port.PortWrite(1, ToBytes(v.command)));
    for (int k = 0; k < 6; ++k) {
        seen.push_back(port.PortReadByte(1));
    }
    std::array<std::uint8_t, 4> block{};
    seen.push_back(port.PortRead(1, block));
    seen.insert(seen.end(), block.begin(), block.end());
    seen.push_back(clock.Now());
    files.Published("folder/20260101000000.bia", Bytes{v.fileByte, 2, 3});
    if (v.stopsEarly) {
        return seen;
    }
    seen.push_back(port.PortWriteByte(1, 'x'));
    seen.push_back(port.PortFlush(1, 2));
    seen.push_back(port.PortOutputPending(1));
    return seen;
}

struct Recorded {
    Bytes bytes;
    std::vector<std::int64_t> seen;
};

Recorded RecordProgram() {
    FakeSerialPort port;
    port.SetSpeed(9600);
    port.AddInput("OK\r\n");
    port.AddSilence(2);
    port.AddInput("AB");
    port.Fail(FakeSerialPort::Op::WriteByte, 1);
    FakeClock clock(1800000000);
    RecordingReport report;
    MemoryRecording output;
    RecordingHeader header;
    header.device = RecordedDevice::Kolvar;
    header.port = 1;
    header.startUtc = 1800000000;
    SessionTape tape(header, port, clock, report, output);
    Recorded recorded;
    recorded.seen = Program(tape.Port(), tape.SessionClock(), tape.Files());
    tape.Report().LogUpper("$04line");
    tape.End();
    EXPECT_TRUE(output.finished);
    EXPECT_EQ(report.Upper(), std::vector<std::string>{"$04line"});
    recorded.bytes = output.bytes;
    return recorded;
}

TEST(SessionRecording, AReplayAnswersAsTheDeviceDidAndEndsWhereTheSessionEnded) {
    const Recorded recorded = RecordProgram();
    const ParsedRecording parsed = ParseRecording(recorded.bytes);
    ASSERT_FALSE(parsed.damage) << parsed.damage->reason;
    EXPECT_EQ(parsed.header->device, RecordedDevice::Kolvar);

    SessionReplay replay(parsed, 0);
    EXPECT_EQ(Program(replay.Port(), replay.SessionClock(), replay.Files()), recorded.seen);
    EXPECT_EQ(replay.Finish(), std::nullopt);
}

TEST(SessionRecording, TheFirstRequestThatDiffersIsNamed) {
    const ParsedRecording parsed = ParseRecording(RecordProgram().bytes);
    const struct {
        Variation variation;
        RecordKind expected;
        std::string expectedBytes;
        RecordKind got;
        std::string gotBytes;
    } cases[] = {
        {{.command = "gex\r"}, RecordKind::HostBytes, "t\r", RecordKind::HostBytes, "x\r"},
        {{.speed = 9600}, RecordKind::Call, "", RecordKind::Call, ""},
        {{.fileByte = 9},
         RecordKind::RawFile,
         "20260101000000.bia",
         RecordKind::RawFile,
         "20260101000000.bia"},
        {{.stopsEarly = true}, RecordKind::HostBytes, "x", RecordKind::End, ""},
    };
    for (const auto& c : cases) {
        SessionReplay replay(parsed, 0);
        Program(replay.Port(), replay.SessionClock(), replay.Files(), c.variation);
        const auto difference = replay.Finish();
        ASSERT_TRUE(difference) << c.variation.command;
        EXPECT_EQ(difference->expected.kind, c.expected);
        EXPECT_EQ(std::string(difference->expected.bytes.begin(), difference->expected.bytes.end()),
                  c.expectedBytes);
        EXPECT_EQ(difference->got.kind, c.got);
        EXPECT_EQ(std::string(difference->got.bytes.begin(), difference->got.bytes.end()),
                  c.gotBytes);
    }
    SessionReplay replay(parsed, 0);
    Program(replay.Port(), replay.SessionClock(), replay.Files(), {.command = "gex\r"});
    EXPECT_EQ(replay.Finish()->hostOffset, 2u) << "the bytes sent before the difference";
}

TEST(SessionRecording, ARequestToEndReachesTheReplayAfterTheSameCall) {
    const auto program = [](SerialPort& port, const StopRequest& stop,
                            const std::function<void()>& between) {
        std::vector<std::int64_t> seen;
        seen.push_back(port.PortReadByte(1));
        between();
        seen.push_back(stop.Requested());
        seen.push_back(port.PortReadByte(1));
        seen.push_back(stop.Requested());
        seen.push_back(port.PortReadByte(1));
        return seen;
    };
    FakeSerialPort port;
    port.AddInput("ABC");
    FakeClock clock;
    RecordingReport report;
    MemoryRecording output;
    StopRequest stop;
    SessionTape tape(RecordingHeader{}, port, clock, report, output, stop);
    // Asked while the exchange is between two calls: it sees the request once the next returns.
    const auto seen = program(tape.Port(), tape.Stop(), [&] { stop.Request(); });
    tape.End();
    EXPECT_EQ(seen, (std::vector<std::int64_t>{'A', 0, 'B', 1, 'C'}));

    const ParsedRecording parsed = ParseRecording(output.bytes);
    SessionReplay replay(parsed, 0);
    EXPECT_EQ(program(replay.Port(), replay.Stop(), [] {}), seen);
    EXPECT_EQ(replay.Finish(), std::nullopt);
}

TEST(SessionRecording, TheClockComesBackInThisProcesssTimeBaseAndGoesOnWithSleeps) {
    ParsedRecording recording;
    recording.header = RecordingHeader{.hoursWest = -3, .startUtc = 1800000000};
    Record reading;
    reading.kind = RecordKind::ClockRead;
    reading.number = 1800000100;
    recording.records = {reading, Record{}};
    // A process three hours further west shows the same local time three hours later in UTC.
    SessionReplay replay(recording, 0);
    Clock& clock = replay.SessionClock();
    EXPECT_EQ(clock.Now(), 1800000100 + 3 * 3600);
    clock.SleepMs(2500);
    EXPECT_EQ(clock.Now(), 1800000102 + 3 * 3600);
    EXPECT_EQ(replay.Finish(), std::nullopt);
}

TEST(SessionRecording, ADamagedRecordingIsAnErrorAtItsOffset) {
    const Bytes whole = RecordProgram().bytes;
    const auto with = [&](std::size_t at, std::uint8_t value) {
        Bytes bytes = whole;
        bytes.at(at) = value;
        return bytes;
    };
    const std::size_t first = kRecordingHeaderSize;
    const struct {
        Bytes bytes;
        std::size_t offset;
        std::string reason;
    } cases[] = {
        {ToBytes("ZEPRE"), 0, "not a session recording"},
        {Bytes(whole.begin(), whole.begin() + 20), 0, "a header cut short"},
        {with(6, 2), 0, "format version 2, this program reads version 1"},
        {with(8, 9), 0, "a header naming no known device"},
        {Bytes(whole.begin(), whole.end() - 3), whole.size() - 3, "no end record"},
        {with(first, 0x7F), first, "a record of unknown kind 127"},
        {with(first + 2, 0xFF), first, "a record longer than the rest of the file"},
        {with(first + 3, 0xEE), first, "a port call of no known operation"},
        {[&] {
             Bytes bytes = whole;
             bytes.push_back(0);
             return bytes;
         }(),
         whole.size(), "bytes after the end record"},
    };
    for (const auto& c : cases) {
        const ParsedRecording parsed = ParseRecording(c.bytes);
        ASSERT_TRUE(parsed.damage) << c.reason;
        EXPECT_EQ(parsed.damage->offset, c.offset) << c.reason;
        EXPECT_NE(parsed.damage->reason.find(c.reason), std::string::npos) << parsed.damage->reason;
    }
}

}  // namespace
}  // namespace zep::test
