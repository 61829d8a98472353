#include "link/zep_routines.h"

#include <gtest/gtest.h>

#include "tests/link/link_test_support.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/recording_report.h"

namespace zep::test {
namespace {

TEST(ZepReadLine, StopsAfterLineFeedAndKeepsOnePlaceForTheTerminator) {
    FakeSerialPort port;
    port.AddInput("OK\r\nrest");
    char line[8];
    EXPECT_EQ(ZepReadLine(port, 1, line), 0);
    EXPECT_STREQ(line, "OK\r\n");
    EXPECT_EQ(port.PendingInput(), 4u);  // "rest" stays unread

    port.AddInput("ABCDEFGHIJ\n");  // after "rest": 7 bytes fit, the 8th is consumed, not stored
    EXPECT_EQ(ZepReadLine(port, 1, line), -1);
    EXPECT_STREQ(line, "restABC");
    EXPECT_EQ(port.PendingInput(), 7u);  // "EFGHIJ\n"

    char small[32];
    EXPECT_EQ(ZepReadLine(port, 1, small), 0);
    EXPECT_EQ(ZepReadLine(port, 1, small), -1);  // nothing more: a time-out
    EXPECT_STREQ(small, "");
}

TEST(ZepWaitOkError, ClassifiesReplies) {
    const std::pair<const char*, int> cases[] = {
        {"OK\r\n", 0},  {"ERROR\r\n", 1}, {"ERROR\r\nOK\r\n", 1},
        {"xOK\r\n", 0}, {"OK\n", -1},     {"BUSY\r\n", -1},
    };
    for (const auto& [reply, expected] : cases) {
        FakeSerialPort port;
        port.AddInput(reply);
        EXPECT_EQ(ZepWaitOkError(port, 1), expected) << reply;
    }
    FakeSerialPort cut;
    cut.AddInput("OK\r");  // the line feed never comes
    EXPECT_EQ(ZepWaitOkError(cut, 1), -1);
}

TEST(ZepReadFileHeader, TakesNameAndSize) {
    const struct {
        const char* line;
        int result;
        const char* name;
        std::int64_t size;
    } cases[] = {
        {"FILE=A.ZEP,1234\r\n", 0, "A.ZEP", 1234},
        {"junkFILE=B.zvo, +77x\r\n", 0, "B.zvo", 77},
        {"FILE=C.zep,-5\r\n", 0, "C.zep", -5},
        {"FILE=,0\r\n", 0, "", 0},
        {"FILE=D.zep,99999999999999999999999\r\n", 0, "D.zep", INT64_MAX},
        {"FILE=A.ZEP\r\n", -1, "keep", 42},
        {"NAME=A.ZEP,12\r\n", -1, "keep", 42},
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
    ASSERT_EQ(ZepReadBlock(port, 1, buffer, report), 0);
    EXPECT_EQ(buffer, data);
    const auto bars = report.Bars();
    ASSERT_EQ(bars.size(), 101u);  // 300 bytes: every percentage from 0 to 100 once
    EXPECT_EQ(bars.front().position, 0);
    EXPECT_EQ(bars.back().position, 100);

    port.AddInput(ZepBlock(data, 0x0100));
    EXPECT_EQ(ZepReadBlock(port, 1, buffer, report), -1);

    // A gap inside the data or a CRC cut short fails.
    port.AddInput(Bytes(data.begin(), data.begin() + 10));
    EXPECT_EQ(ZepReadBlock(port, 1, buffer, report), -1);
    Bytes shortCrc = ZepBlock(data);
    shortCrc.pop_back();
    port.AddInput(shortCrc);
    EXPECT_EQ(ZepReadBlock(port, 1, buffer, report), -1);
}

TEST(ZepReadBlock, EmptyFileIsJustTwoZeroCrcBytes) {
    FakeSerialPort port;
    RecordingReport report;
    Bytes none;
    port.AddInput(Bytes{0, 0});
    EXPECT_EQ(ZepReadBlock(port, 1, none, report), 0);
    port.AddInput(Bytes{1, 0});
    EXPECT_EQ(ZepReadBlock(port, 1, none, report), -1);
    EXPECT_TRUE(report.Bars().empty());
}

}  // namespace
}  // namespace zep::test
