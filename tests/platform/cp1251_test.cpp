#include "platform/cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace zep {
namespace {

TEST(Cp1251, DeviceTextsConvertBothWays) {
    const std::string kolvarType = "\xC6\xD3\xC2.\xD0-1";  // the Kolvar type as the device sends it
    EXPECT_EQ(Cp1251ToUtf8(kolvarType), "ЖУВ.Р-1");
    EXPECT_EQ(Utf8ToCp1251("ЖУВ.Р-1"), kolvarType);
    EXPECT_EQ(Utf8ToCp1251("Дом"), "\xC4\xEE\xEC");
    EXPECT_EQ(Cp1251ToUtf8("\xC4\xEE\xEC"), "Дом");
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8\xB9\x88"), "Ёё№€");
    EXPECT_EQ(Cp1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1251, EveryByteButTheUnassignedOneRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        if (b == 0x98) {
            EXPECT_EQ(Cp1251ToUtf8(byte), "\xEF\xBF\xBD");  // U+FFFD
            EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(byte)), "?");
            continue;
        }
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(byte)), byte) << "byte " << b;
    }
}

TEST(Cp1251, TextOutsideTheCodePageOrMalformedBecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x88\x9E"
                           "b"),
              "a?b");                                  // U+221E infinity
    EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80"), "?");  // outside the basic plane
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");              // cut sequence
    EXPECT_EQ(Utf8ToCp1251("\x80x"), "?x");            // stray continuation byte
    EXPECT_EQ(Utf8ToCp1251("\xD0\x41"), "?A");         // lead without continuation
    // Overlong forms of '/' and NUL and an encoded surrogate are not characters.
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAF"), "??");
    EXPECT_EQ(Utf8ToCp1251("\xE0\x80\x80"), "???");
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");
}

}  // namespace
}  // namespace zep
