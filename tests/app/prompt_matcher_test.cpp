#include <gtest/gtest.h>

#include "app/prompt_matcher.h"
#include "tests/app/controller_fakes.h"

namespace zep::test {
namespace {

TEST(PromptMatcherTest, PositionsPersistAcrossCallsAndResetOnAMatch) {
    Events events;
    FakeSerial serial(events);
    PromptMatcher matcher;
    serial.Receive("KLV");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), PromptMatcher::kNoPrompt);
    EXPECT_EQ(matcher.Position(1), 3);
    serial.Receive("10>ZE");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), 1);
    EXPECT_EQ(serial.Unread(), "ZE");
    for (int slot = 0; slot < PromptMatcher::kSlots; ++slot) {
        EXPECT_EQ(matcher.Position(slot), 0);
    }
    serial.Receive("P>");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), 2);
}

TEST(PromptMatcherTest, BrokenPartialMatchIsNotRetriedAsAStart) {
    Events events;
    FakeSerial serial(events);
    PromptMatcher matcher;
    serial.Receive("ZZEP>");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), PromptMatcher::kNoPrompt);
    EXPECT_EQ(serial.Unread(), "");
    serial.Receive("KLKLV10>");
    EXPECT_EQ(matcher.Match(serial, 1, kDevicePrompts), PromptMatcher::kNoPrompt);
}

TEST(PromptMatcherTest, LowestSlotWinsAndTooManyPromptsReadNothing) {
    Events events;
    FakeSerial serial(events);
    PromptMatcher matcher;
    const std::array<std::string_view, 2> overlapping = {"AB>", "B>"};
    serial.Receive("AB>");
    EXPECT_EQ(matcher.Match(serial, 1, overlapping), 0);

    const std::array<std::string_view, 6> six = {"a", "b", "c", "d", "e", "f"};
    serial.Receive("a");
    EXPECT_EQ(matcher.Match(serial, 1, six), PromptMatcher::kTooManyPrompts);
    EXPECT_EQ(serial.Unread(), "a");
}

}  // namespace
}  // namespace zep::test
