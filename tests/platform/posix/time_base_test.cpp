// The fixed time base on Linux: the zone's standard offset in whole hours, summer time left out,
// half-hour zones truncated, and fixing it twice changing nothing.
#include "platform/time_base.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/support/scoped_env.h"

namespace zep {
namespace {

// 2026-12-07 05:00:00 UTC (summer in Sydney) and 2026-07-01 12:00:00 UTC (summer in the north).
constexpr std::time_t kDecember = 1796619600;
constexpr std::time_t kJuly = 1782907200;

// Installs a named zone as the system zone, runs the time-base step, and gives back the TZ
// value it chose. The previous TZ returns when the test ends.
class TimeBase : public ::testing::Test {
protected:
    std::string FixIn(const char* zone) {
        m_zone.emplace("TZ", zone);
        tzset();
        EXPECT_TRUE(FixTimeBase());
        const char* tz = std::getenv("TZ");
        return tz ? tz : "";
    }
    void TearDown() override {
        m_zone.reset();
        tzset();
    }
    std::optional<test::ScopedEnv> m_zone;
};

TEST_F(TimeBase, ZoneEastOfUtcGivesNegativeHours) {
    EXPECT_EQ(FixIn("Europe/Moscow"), "VLZ-3");
    EXPECT_EQ(FormatLocalTime(kDecember, kFileStampPattern), "20261207080000");
    EXPECT_EQ(FormatLocalTime(kJuly, kLogStampPattern), "15:00:00 01.07.2026");
}

TEST_F(TimeBase, ZoneWestOfUtcGivesPositiveHoursWithoutSummerTime) {
    EXPECT_EQ(FixIn("America/Bogota"), "VLZ5");
    EXPECT_EQ(FormatLocalTime(kDecember, kLogStampPattern), "00:00:00 07.12.2026");
    // New York keeps daylight saving in July; the fixed base does not.
    EXPECT_EQ(FixIn("America/New_York"), "VLZ5");
    EXPECT_EQ(FormatLocalTime(kJuly, kFileStampPattern), "20260701070000");
}

TEST_F(TimeBase, HalfHourZonesAreTruncatedTowardZero) {
    // India is UTC+5:30: the program's clock runs 30 minutes behind the zone's standard time.
    EXPECT_EQ(FixIn("Asia/Kolkata"), "VLZ-5");
    EXPECT_EQ(FormatLocalTime(kDecember, kFileStampPattern), "20261207100000");
    // Newfoundland is UTC-3:30: 30 minutes ahead of its standard time.
    EXPECT_EQ(FixIn("America/St_Johns"), "VLZ3");
    EXPECT_EQ(FormatLocalTime(kDecember, kFileStampPattern), "20261207020000");
}

TEST_F(TimeBase, SummerTimeStampsAreAnHourBehindTheWallClock) {
    m_zone.emplace("TZ", "Australia/Sydney");
    tzset();
    const std::string wall = FormatLocalTime(kDecember, kFileStampPattern);
    EXPECT_EQ(wall, "20261207160000");  // AEDT, UTC+11
    ASSERT_TRUE(FixTimeBase());
    EXPECT_STREQ(std::getenv("TZ"), "VLZ-10");
    EXPECT_EQ(FormatLocalTime(kDecember, kFileStampPattern), "20261207150000");
}

TEST_F(TimeBase, FixingTwiceKeepsTheSameBase) {
    EXPECT_EQ(FixIn("Asia/Tokyo"), "VLZ-9");
    EXPECT_EQ(StandardOffsetHoursWest(), -9);
    ASSERT_TRUE(FixTimeBase());
    EXPECT_STREQ(std::getenv("TZ"), "VLZ-9");
    EXPECT_EQ(FixIn("UTC"), "VLZ0");
    EXPECT_EQ(FormatLocalTime(kJuly, kLogStampPattern), "12:00:00 01.07.2026");
}

}  // namespace
}  // namespace zep
