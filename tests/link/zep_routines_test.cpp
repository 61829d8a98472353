// The ZEP line routines on a fake port: lines, the adapter's answers, the header and the block.
#include "link/zep_routines.h"

#include <gtest/gtest.h>

#include "tests/link/link_test_support.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/recording_report.h"

namespace zep::test {
namespace {

constexpr LineResult kOk = LineResult::Ok;
constexpr LineResult kFailed = LineResult::Failed;

TEST(ZepReadLine, StopsAfterLineFeedAndKeepsOnePlaceForTheTerminator) {
    FakeSerialPort port;
    port.AddInput("OK\r\nrest");
    char line[8];
    EXPECT_EQ(ZepReadLine(port, 1, line), kOk);
    EXPECT_STREQ(line, "OK\r\n");
    EXPECT_EQ(port.PendingInput(), 4u);  // "rest" stays unread

    port.AddInput("ABCDEFGHIJ\n");  // after "rest": 7 bytes fit, the 8th is consumed, not stored
    EXPECT_EQ(ZepReadLine(port, 1, line), kFailed);
    EXPECT_STREQ(line, "restABC");
    EXPECT_EQ(port.PendingInput(), 7u);  // "EFGHIJ\n"

    char small[32];
    EXPECT_EQ(ZepReadLine(port, 1, small), kOk);
    EXPECT_EQ(ZepReadLine(port, 1, small), kFailed);  // nothing more: a time-out
    EXPECT_STREQ(small, "");
}

TEST(ZepWaitOkError, ClassifiesReplies) {
    constexpr LineResult kError = LineResult::DeviceError;
    const std::pair<const char*, LineResult> cases[] = {
        {"OK\r\n", kOk},  {"ERROR\r\n", kError}, {"ERROR\r\nOK\r\n", kError},
        {"xOK\r\n", kOk}, {"OK\n", kFailed},     {"BUSY\r\n", kFailed},
    };
    for (const auto& [reply, expected] : cases) {
        FakeSerialPort port;
        port.AddInput(reply);
        EXPECT_EQ(ZepWaitOkError(port, 1), expected) << reply;
    }
    FakeSerialPort cut;
    cut.AddInput("OK\r");  // the line feed never comes
    EXPECT_EQ(ZepWaitOkError(cut, 1), kFailed);
}

TEST(ZepReadFileHeader, TakesNameAndSize) {
    const struct {
        const char* line;
        LineResult result;
        const char* name;
        std::int64_t size;
    } cases[] = {
        {"FILE=A.ZEP,1234\r\n", kOk, "A.ZEP", 1234},
        {"junkFILE=B.zvo, +77x\r\n", kOk, "B.zvo", 77},
        {"FILE=C.zep,-5\r\n", kOk, "C.zep", -5},
        {"FILE=,0\r\n", kOk, "", 0},
        {"FILE=D.zep,99999999999999999999999\r\n", kOk, "D.zep", INT64_MAX},
        {"FILE=A.ZEP\r\n", kFailed, "keep", 42},
        {"NAME=A.ZEP,12\r\n", kFailed, "keep", 42},
    };
    for (const auto& c : cases) {
        FakeSerialPort port;
        port.AddInput(c.line);
        std::string name = "keep";
        std::int64_t size = 42;
        EXPECT_EQ(ZepReadFileHeader(port, 1, name, size), c.result) << c.line;
        EXPECT_EQ(name, c.name) << c.line;
        EXPECT_EQ(size, c.size) << c.line;
    }
}

TEST(ZepReadBlock, ChecksCrcAndPostsEachNewPercentage) {
    const Bytes data = Pattern(300, 3);
    FakeSerialPort port;
    RecordingReport report;
    port.AddInput(ZepBlock(data));
    Bytes buffer(data.size());
    ASSERT_EQ(ZepReadBlock(port, 1, buffer, report), kOk);
    EXPECT_EQ(buffer, data);
    const auto bars = report.Bars();
    ASSERT_EQ(bars.size(), 101u);  // 300 bytes: every percentage from 0 to 100 once
    EXPECT_EQ(bars.front().position, 0);
    EXPECT_EQ(bars.back().position, 100);

    port.AddInput(ZepBlock(data, 0x0100));
    EXPECT_EQ(ZepReadBlock(port, 1, buffer, report), kFailed);

    // A gap inside the data or a CRC cut short fails.
    port.AddInput(Bytes(data.begin(), data.begin() + 10));
    EXPECT_EQ(ZepReadBlock(port, 1, buffer, report), kFailed);
    Bytes shortCrc = ZepBlock(data);
    shortCrc.pop_back();
    port.AddInput(shortCrc);
    EXPECT_EQ(ZepReadBlock(port, 1, buffer, report), kFailed);
}

TEST(ZepReadBlock, EmptyFileIsJustTwoZeroCrcBytes) {
    FakeSerialPort port;
    RecordingReport report;
    Bytes none;
    port.AddInput(Bytes{0, 0});
    EXPECT_EQ(ZepReadBlock(port, 1, none, report), kOk);
    port.AddInput(Bytes{1, 0});
    EXPECT_EQ(ZepReadBlock(port, 1, none, report), kFailed);
    EXPECT_TRUE(report.Bars().empty());
}

}  // namespace
}  // namespace zep::test
