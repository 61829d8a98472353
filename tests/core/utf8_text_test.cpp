// The one UTF-8 reader: wide text for Windows' calls and paths, the test for well-formed text,
// and the character steps of the log panes.
#include "core/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zep {
namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring wide;
    for (const unsigned unit : units) {
        wide += static_cast<wchar_t>(unit);
    }
    return wide;
}

TEST(Utf8Text, WideTextRoundTripsEveryPlane) {
    const struct {
        std::string utf8;
        std::wstring wide;
    } cases[] = {
        {"COM1", L"COM1"},
        {"Дом №1", Units({0x414, 0x43E, 0x43C, 0x20, 0x2116, 0x31})},
        {"\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},  // a surrogate pair
        {std::string("a\0b", 3), Units({'a', 0, 'b'})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Widen(c.utf8), c.wide) << c.utf8;
        EXPECT_EQ(Narrow(c.wide), c.utf8) << c.utf8;
    }
}

TEST(Utf8Text, MalformedTextBecomesReplacementCharactersAndGoesOn) {
    const std::wstring r = Units({0xFFFD});
    EXPECT_EQ(Widen("\xD0"), r);  // cut sequence
    EXPECT_EQ(Widen("a\x80"
                    "b"),
              L"a" + r + L"b");                                      // stray continuation byte
    EXPECT_EQ(Widen("\xC0\xAF"), r + r);                             // overlong '/'
    EXPECT_EQ(Widen("\xED\xA0\x80"), r + r + r);                     // an encoded surrogate
    EXPECT_EQ(Widen("\xC6\xD3\xC2"), r + r + r);                     // Windows-1251 bytes
    EXPECT_EQ(Narrow(Units({'x', 0xD800, 'y'})), "x\xEF\xBF\xBDy");  // unpaired surrogate
}

TEST(Utf8Text, OnlyWellFormedTextIsUtf8) {
    for (const char* text : {"", "Pexilor", "ЖУВ.Р-1", "\xF0\x9F\x98\x80"}) {
        EXPECT_TRUE(IsUtf8(text)) << text;
    }
    for (const char* text : {"\xC6\xD3\xC2.\xD0-1", "\xD0", "\xC0\xAF", "\xED\xA0\x80",
                             "\xF4\x90\x80\x80", "\xE0\x80\xAF"}) {
        EXPECT_FALSE(IsUtf8(text)) << text;
    }
}

TEST(Utf8Text, CharacterLengthsStayInsideTheText) {
    const std::string text = "aЖ\xE2\x82\xAC\x80\xF0\x9F";
    EXPECT_EQ(Utf8CharLength(text, 0), 1u);
    EXPECT_EQ(Utf8CharLength(text, 1), 2u);
    EXPECT_EQ(Utf8CharLength(text, 3), 3u);  // the euro sign
    EXPECT_EQ(Utf8CharLength(text, 6), 1u);  // a stray continuation byte
    EXPECT_EQ(Utf8CharLength(text, 7), 2u);  // cut at the end of the text
}

}  // namespace
}  // namespace zep
