// The one number reader against the C conversions its callers used before (atoi for settings
// and log colours, strtol for virtual device numbers, card volumes and title number lists).
#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "core/title_area.h"

namespace zep {
namespace {

const char* const kTexts[] = {
    "",
    "abc",
    "12x",
    "-3",
    "+7",
    "  \t\n\v\f\r42",
    // Control characters just outside the blanks are no blanks.
    "\b5",
    "\x0e"
    "5",
    "\x1f"
    "5",
    "\x01"
    "5",
    "-",
    "- 5",
    "0x10",
    "+-1",
    " 007,8",
    "2147483647",
    "-2147483648",
    "2147483648",
    "-2147483649",
    "9223372036854775807",
    "-9223372036854775808",
    "9223372036854775808",
    "-9223372036854775809",
    "99999999999999999999",
    "-99999999999999999999",
    "\xA0"
    "5",
};

TEST(NumberText, AgreesWithStrtolEverywhere) {
    for (const char* text : kTexts) {
        char* end = nullptr;
        errno = 0;
        const long expected = std::strtol(text, &end, 10);
        EXPECT_EQ(ParseDecimalAs<long>(text), expected) << '"' << text << '"';
        const auto prefix = ReadDecimalPrefix(text);
        EXPECT_EQ(prefix.length, static_cast<std::size_t>(end - text)) << '"' << text << '"';
    }
}

TEST(NumberText, AgreesWithAtoiInTheIntRangeAndSaturatesBeyond) {
    for (const char* text : kTexts) {
        // long long: a long is no wider than an int on Windows.
        const long long wide = std::strtoll(text, nullptr, 10);
        if (wide >= INT_MIN && wide <= INT_MAX) {
            EXPECT_EQ(ParseDecimalAs<int>(text), std::atoi(text)) << '"' << text << '"';
        }
    }
    EXPECT_EQ(ParseDecimalAs<int>("2147483648"), INT_MAX);
    EXPECT_EQ(ParseDecimalAs<int>("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseDecimalAs<std::int32_t>("-2147483649"), INT32_MIN);
    EXPECT_EQ(ParseDecimal("-99999999999999999999"), INT64_MIN);
}

TEST(NumberText, NthNumberReadsNumbersSeparatedByOneCharacter) {
    EXPECT_EQ(NthNumber("12,13,15", 0), 12);
    EXPECT_EQ(NthNumber("12,13,15", 1), 13);
    EXPECT_EQ(NthNumber("12,13,15", 2), 15);
    EXPECT_EQ(NthNumber("12,13,15", 3), -1);
    EXPECT_EQ(NthNumber("", 0), -1);
    EXPECT_EQ(NthNumber(std::nullopt, 0), -1);
    EXPECT_EQ(NthNumber("7", 0), 7);
    EXPECT_EQ(NthNumber("1,-2, 3", 1), -2);
    EXPECT_EQ(NthNumber("1,-2, 3", 2), 3);  // strtol skips the blank
    // Two separators in a row: the second one converts as 0.
    EXPECT_EQ(NthNumber("1,,5", 1), 0);
    EXPECT_EQ(NthNumber("1,,5", 2), 5);
    // Trailing separator ends the list.
    EXPECT_EQ(NthNumber("1,", 1), -1);
}

}  // namespace
}  // namespace zep
