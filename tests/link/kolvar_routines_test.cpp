// The Kolvar line routines on a fake port: prompt-terminated replies, keyed numbers, chunks.
#include "link/kolvar_routines.h"

#include <gtest/gtest.h>

#include "tests/link/link_test_support.h"
#include "tests/support/fake_serial_port.h"

namespace zep::test {
namespace {

constexpr LineResult kOk = LineResult::Ok;
constexpr LineResult kFailed = LineResult::Failed;

TEST(KolvarCommand, ReplyOfThirtyCharactersFitsAndThirtyOneDoNot) {
    const std::string thirty = std::string(24, 'x') + "KLV10>";
    const std::string thirtyOne = std::string(25, 'x') + "KLV10>";
    FakeSerialPort port;
    const KolvarLine line{port, 2};
    char reply[31];
    port.AddInput(thirty);
    EXPECT_EQ(KolvarCommand(line, "GET RECORDS\r", reply), kOk);
    EXPECT_EQ(std::string(reply), thirty);
    port.AddInput(thirtyOne);
    EXPECT_EQ(KolvarCommand(line, "GET RECORDS\r", reply), kFailed);
    EXPECT_EQ(port.Written(), "GET RECORDS\rGET RECORDS\r");

    port.Fail(FakeSerialPort::Op::Write, 1);
    port.AddInput("RECORDS=1\r\nKLV10>");
    EXPECT_EQ(KolvarCommand(line, "GET RECORDS\r", reply), kFailed);  // nothing sent: no reply read
    EXPECT_EQ(port.PendingInput(), 17u);
}

TEST(KolvarReadUntil, PromptMatchingAndTimeOut) {
    FakeSerialPort port;
    const KolvarLine line{port, 2};
    char buffer[64];
    port.AddInput("RECORDS=3\r\nKLV1xKLV10>tail");  // a broken partial prompt, then the prompt
    EXPECT_EQ(KolvarReadUntil(line, buffer, "KLV10>"), kOk);
    EXPECT_STREQ(buffer, "RECORDS=3\r\nKLV1xKLV10>");
    EXPECT_EQ(port.PendingInput(), 4u);
    // A byte that breaks a partial match is not a new first byte: "KKLV10>" is not the prompt.
    port.AddInput("KKLV10>");
    EXPECT_EQ(KolvarReadUntil(line, buffer, "KLV10>"), kFailed);
    port.AddInput("RECORDS=3\r\n");  // no prompt before the line goes quiet
    EXPECT_EQ(KolvarReadUntil(line, buffer, "KLV10>"), kFailed);
}

TEST(KolvarParseLong, KeyedNumbers) {
    long value = 7;
    EXPECT_EQ(KolvarParseLong("RECSIZE=1234\r\nKLV10>", "RECSIZE=", value), kOk);
    EXPECT_EQ(value, 1234);
    EXPECT_EQ(KolvarParseLong("RECORDS=0", "RECSIZE=", value), kFailed);
    EXPECT_EQ(value, 1234);
}

class KolvarFrameTest : public ::testing::Test {
protected:
    LineResult Read(const Bytes& input) {
        port.AddInput(input);
        return KolvarReadFrame(line, frame);
    }
    FakeSerialPort port;
    KolvarLine line{port, 2};
    KolvarFrame frame;
};

TEST_F(KolvarFrameTest, GoodFrameAfterNoiseGivesHostOrderFields) {
    Bytes input = {0x00, 0xA5, 0x5A, 0x13};  // a false start
    const Bytes data = Pattern(200, 5);
    const Bytes chunk =
        KolvarFrameBytes({.record = 0x0102, .endOffset = 200, .data = data, .status = 0});
    input.insert(input.end(), chunk.begin(), chunk.end());
    input.push_back(0x77);  // the next frame's business
    ASSERT_EQ(Read(input), kOk);
    EXPECT_EQ(frame.record, 0x0102);
    EXPECT_EQ(frame.endOffset, 200);
    EXPECT_EQ(frame.length, 200);
    EXPECT_EQ(Bytes(frame.Data().begin(), frame.Data().end()), data);
    EXPECT_EQ(port.PendingInput(), 1u);
}

TEST_F(KolvarFrameTest, DataCrcIsChainedFromTheHeaderCrc) {
    // A data CRC started from 0 instead of the header CRC is wrong.
    const Bytes data = Pattern(10, 1);
    Bytes chunk = KolvarFrameBytes({.data = data});
    const std::uint16_t unchained = Crc16(data);
    chunk[chunk.size() - 2] = static_cast<std::uint8_t>(unchained >> 8);
    chunk[chunk.size() - 1] = static_cast<std::uint8_t>(unchained);
    EXPECT_EQ(Read(chunk), kFailed);
    // With no data, the data CRC equals the header CRC.
    const Bytes empty = KolvarFrameBytes({.endOffset = 0, .data = {}});
    EXPECT_EQ(ReadBe16(&empty[16]), ReadBe16(&empty[18]));
    EXPECT_EQ(Read(empty), kOk);
    EXPECT_EQ(frame.length, 0);
}

TEST(KolvarReadFrame, RejectsDamagedFrames) {
    // Returns the result and how many input bytes were left unread.
    const auto read = [](const Bytes& input) {
        FakeSerialPort port;
        KolvarFrame frame;
        port.AddInput(input);
        const LineResult result = KolvarReadFrame(KolvarLine{port, 2}, frame);
        return std::pair<LineResult, std::size_t>(result, port.PendingInput());
    };
    // A bad header ends the frame at once.
    EXPECT_EQ(read(KolvarFrameBytes({.data = Pattern(8, 1), .headerCrcDelta = 1})),
              std::make_pair(kFailed, std::size_t{10}));
    EXPECT_EQ(read(KolvarFrameBytes({.data = Pattern(8, 1), .dataCrcDelta = 4})).first, kFailed);
    // A length field above 8192 is refused before any data is read into the frame.
    EXPECT_EQ(read(KolvarFrameBytes({.data = Pattern(9000, 1), .lengthOverride = 9000})),
              std::make_pair(kFailed, std::size_t{9002}));
    Bytes cut = KolvarFrameBytes({.data = Pattern(8, 1)});
    cut.pop_back();
    EXPECT_EQ(read(cut).first, kFailed);
    // Noise without end is no frame: the search gives up long before the noise does.
    Bytes noise(100000, 0x00);
    const Bytes late = KolvarFrameBytes({.data = Pattern(8, 1)});
    noise.insert(noise.end(), late.begin(), late.end());
    const auto [result, left] = read(noise);
    EXPECT_EQ(result, kFailed);
    EXPECT_GT(left, late.size());
}

TEST_F(KolvarFrameTest, DoubledFirstSignatureByteIsNotAFrameStart) {
    Bytes input = {0xA5};
    const Bytes chunk = KolvarFrameBytes({.data = Pattern(4, 1)});
    input.insert(input.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(Read(input), kFailed);
}

}  // namespace
}  // namespace zep::test
