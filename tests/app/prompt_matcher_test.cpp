// Device prompts found across ticks, a broken partial match not taken for a new start, and the
// lowest slot winning.
#include <gtest/gtest.h>

#include "app/prompt_matcher.h"
#include "tests/app/controller_fakes.h"
#include "tests/support/fake_serial_port.h"

namespace zep::test {
namespace {

TEST(PromptMatcherTest, PositionsPersistAcrossCallsAndResetOnAMatch) {
    FakeSerialPort serial;
    PromptMatcher matcher;
    serial.AddInput("KLV");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), PromptMatcher::kNoPrompt);
    EXPECT_EQ(matcher.Position(1), 3);
    serial.AddInput("10>ZE");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), 1);
    EXPECT_EQ(serial.PendingInput(), 2u);  // "ZE" waits for the next call
    for (int slot = 0; slot < PromptMatcher::kSlots; ++slot) {
        EXPECT_EQ(matcher.Position(slot), 0);
    }
    serial.AddInput("P>");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), 2);
}

TEST(PromptMatcherTest, BrokenPartialMatchIsNotRetriedAsAStart) {
    FakeSerialPort serial;
    PromptMatcher matcher;
    serial.AddInput("ZZEP>");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), PromptMatcher::kNoPrompt);
    EXPECT_EQ(Drain(serial, 1), "");
    serial.AddInput("KLKLV10>");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), PromptMatcher::kNoPrompt);
}

TEST(PromptMatcherTest, LowestSlotWinsAndTooManyPromptsReadNothing) {
    FakeSerialPort serial;
    PromptMatcher matcher;
    const std::array<std::string_view, 2> overlapping = {"AB>", "B>"};
    serial.AddInput("AB>");
    EXPECT_EQ(matcher.Match(serial, 1, overlapping), 0);

    const std::array<std::string_view, 6> six = {"a", "b", "c", "d", "e", "f"};
    serial.AddInput("a");
    EXPECT_EQ(matcher.Match(serial, 1, six), PromptMatcher::kTooManyPrompts);
    EXPECT_EQ(Drain(serial, 1), "a");
}

// A line that floods (noise, a header without end) does not hold the poll in the matcher; a
// prompt behind the flood is still found by later calls.
TEST(PromptMatcherTest, AFloodingLineIsReadAPieceAtATime) {
    FakeSerialPort serial;
    PromptMatcher matcher;
    serial.AddInput(std::string(5 * PromptMatcher::kMaxBytesPerCall, 'A') + "ZEP>");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), PromptMatcher::kNoPrompt);
    EXPECT_GT(serial.PendingInput(), 4u * PromptMatcher::kMaxBytesPerCall);
    int slot = PromptMatcher::kNoPrompt;
    for (int call = 0; call < 10 && slot == PromptMatcher::kNoPrompt; ++call) {
        slot = matcher.Match(serial, 1, kDevicePrompts);
    }
    EXPECT_EQ(slot, 2);
}

}  // namespace
}  // namespace zep::test
