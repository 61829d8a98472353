// The Tessal line routines on a fake port and clock: commands, keyed numbers, volume frames.
#include "link/tessal_routines.h"

#include <gtest/gtest.h>

#include "tests/link/link_test_support.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/recording_report.h"

namespace zep::test {
namespace {

constexpr LineResult kOk = LineResult::Ok;
constexpr LineResult kFailed = LineResult::Failed;

struct TessalRig {
    FakeSerialPort port;
    FakeClock clock;
    RecordingReport report;
    TessalLine line{port, 3, clock, report};

    int WritesOf(const std::string& text) const {
        int count = 0;
        for (const auto& w : port.Writes()) count += w == text;
        return count;
    }
};

TEST(TessalCommand, CompleteOnlyWhenPromptAndExpectedTextHaveArrived) {
    TessalRig rig;
    // The reply arrives in pieces with pauses between them; the prompt's '>' comes last.
    rig.port.AddInput("BaudRate=");
    rig.port.AddSilence(200);
    rig.port.AddInput("57600\r\nCL");
    rig.port.AddSilence(300);
    rig.port.AddInput(">after");
    EXPECT_EQ(TessalCommand(rig.line, std::nullopt, "BaudRate=", "Error", '>'), kOk);
    EXPECT_EQ(rig.line.ReplyText(), "BaudRate=57600\r\nCL>");
    EXPECT_EQ(rig.port.PendingInput(), 5u);  // stops at the '>', "after" stays
    EXPECT_TRUE(rig.port.Written().empty());
    EXPECT_EQ(rig.clock.SleptMs(), 500);  // 1 ms per miss

    // The prompt alone, without the expected text, is not a reply.
    TessalRig other;
    other.port.AddInput("Version=1\r\nCL>");
    EXPECT_EQ(TessalCommand(other.line, "get records\r\n", "Records=", "Error", '>'), kFailed);
    EXPECT_EQ(other.WritesOf("get records\r\n"), 3);
}

TEST(TessalCommand, ReplyHoldingErrorFailsAfterThreeAttemptsOfSilence) {
    TessalRig rig;
    rig.port.SetResponder(
        [](FakeSerialPort& port, const std::string&) { port.AddInput("OK Error\r\nCL>"); });
    EXPECT_EQ(TessalCommand(rig.line, "delete archive 0 1\r\n", "OK", "Error", '>'), kFailed);
    EXPECT_EQ(rig.WritesOf("delete archive 0 1\r\n"), 3);
    // Each attempt waits out more than a thousand 1 ms misses before giving up.
    EXPECT_EQ(rig.clock.SleptMs(), 3 * 1001);
}

// A pulled (or, for the exchange, stopped) port delivers nothing more: the routines fail at
// their first miss instead of waiting out three attempts of silence.
TEST(TessalCommand, AGonePortFailsAtOnce) {
    TessalRig rig;
    rig.port.PortOpen(3);
    rig.port.HangUp(3);
    EXPECT_EQ(TessalCommand(rig.line, "version\r\n", "Version=", "Error", '>'), kFailed);
    EXPECT_EQ(TessalReadVolume(rig.line, "download volume 0 0\r\n", 0, 100), kFailed);
    EXPECT_LT(rig.clock.SleptMs(), 1000);  // not a second of silence waited out
}

TEST(TessalReadByte, AppendsAndClearsAFullReply) {
    TessalRig rig;
    rig.port.AddInput(std::string(32767, 'a'));
    for (int i = 0; i < 32767; ++i) ASSERT_EQ(TessalReadByte(rig.line, 1), kOk);
    EXPECT_EQ(rig.line.ReplyText().size(), 32767u);
    rig.port.AddInput("b");
    EXPECT_EQ(TessalReadByte(rig.line, 1), kOk);
    EXPECT_EQ(rig.line.ReplyText(), "b");
    EXPECT_EQ(TessalReadByte(rig.line, 7), kFailed);
    EXPECT_EQ(rig.clock.SleptMs(), 7);
}

TEST(TessalParse, NumbersAfterKeys) {
    int records = -9;
    EXPECT_EQ(TessalParseInt("Records=  42\r\nCL>", "Records=", records), kOk);
    EXPECT_EQ(records, 42);
    EXPECT_EQ(TessalParseInt("Records=-3", "Records=", records), kOk);
    EXPECT_EQ(records, -3);
    EXPECT_EQ(TessalParseInt("Volumes=2", "Records=", records), kFailed);
    EXPECT_EQ(records, 0);
    float version = -1;
    EXPECT_EQ(TessalParseReal("Version=0.55\r\nCL>", "Version=", version), kOk);
    EXPECT_FLOAT_EQ(version, 0.55f);
    EXPECT_EQ(TessalParseReal("Version=x", "Version=", version), kOk);
    EXPECT_EQ(version, 0.0f);
}

TEST(TessalReadVolume, ReadsFrameAfterAnyTextAndPostsProgress) {
    TessalRig rig;
    const Bytes data = Pattern(1000, 1);
    Bytes reply = ToBytes("download...\r\nTes");  // a partial signature first
    const Bytes frame = TessalFrame(data);
    reply.insert(reply.end(), frame.begin(), frame.end());
    rig.port.AddInput(reply);
    ASSERT_EQ(TessalReadVolume(rig.line, "download volume 0 0\r\n", 20, 40), kOk);
    const auto volume = rig.line.VolumeData();
    EXPECT_EQ(Bytes(volume.begin(), volume.end()), data);
    const auto bars = rig.report.Bars();
    ASSERT_FALSE(bars.empty());
    EXPECT_EQ(bars.front().position, 20);
    for (const auto& bar : bars) {
        EXPECT_GE(bar.position, 20);
        EXPECT_LE(bar.position, 40);
    }
    EXPECT_EQ(rig.WritesOf("download volume 0 0\r\n"), 1);
}

TEST(TessalReadVolume, BadFramesAreRequestedAgainAtMostThreeTimes) {
    const Bytes data = Pattern(64, 9);
    struct Case {
        const char* what;
        Bytes frame;
    };
    Bytes oversize = ToBytes("Tess");
    PutBe16(oversize, 32766);  // its last byte would land past the reply buffer
    Bytes tooShort = ToBytes("Tess");
    PutBe16(tooShort, 1);  // no room even for the CRC
    const Case cases[] = {
        {"crc", TessalFrame(data, 1)}, {"oversize", oversize}, {"short", tooShort}};
    for (const auto& c : cases) {
        TessalRig rig;
        rig.port.SetResponder(
            [&](FakeSerialPort& port, const std::string&) { port.AddInput(c.frame); });
        EXPECT_EQ(TessalReadVolume(rig.line, "download volume 1 0\r\n", 0, 100), kFailed) << c.what;
        EXPECT_EQ(rig.WritesOf("download volume 1 0\r\n"), 3) << c.what;
        EXPECT_TRUE(rig.line.VolumeData().empty());
    }
    // Good on the third try.
    TessalRig rig;
    int sent = 0;
    rig.port.SetResponder([&](FakeSerialPort& port, const std::string&) {
        port.AddInput(TessalFrame(data, ++sent < 3 ? 1 : 0));
    });
    EXPECT_EQ(TessalReadVolume(rig.line, "download volume 1 0\r\n", 0, 100), kOk);
    EXPECT_EQ(sent, 3);
}

TEST(TessalReadVolume, EmptyVolumeHasOnlyItsCrc) {
    TessalRig rig;
    rig.port.AddInput(TessalFrame({}));
    EXPECT_EQ(TessalReadVolume(rig.line, "d\r\n", 0, 100), kOk);
    EXPECT_TRUE(rig.line.VolumeData().empty());
}

}  // namespace
}  // namespace zep::test
