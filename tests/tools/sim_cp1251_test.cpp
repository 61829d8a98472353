// The simulators' code page against the program's: two tables written apart must agree on
// every byte, or one of them is wrong.
#include "tools/sim/sim_cp1251.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp1251.h"

namespace zep::sim {
namespace {

TEST(SimCp1251, EveryByteReadsAsTheProgramReadsItAndRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(DecodeCp1251(byte), Cp1251ToUtf8(byte)) << "byte " << b;
        EXPECT_EQ(EncodeCp1251(DecodeCp1251(byte)), b == 0x98 ? "?" : byte) << "byte " << b;
    }
    EXPECT_EQ(EncodeCp1251("ЖУВ.Р-1"), "\xC6\xD3\xC2.\xD0-1");
}

TEST(SimCp1251, TextOutsideTheCodePageOrMalformedBecomesQuestionMarks) {
    const struct {
        const char* utf8;
        const char* bytes;
    } cases[] = {
        {"a\xE2\x88\x9E"
         "b",
         "a?b"},                    // U+221E infinity
        {"\xF0\x9F\x98\x80", "?"},  // outside the basic plane
        {"\xD0", "?"},              // cut sequence
        {"\x80x", "?x"},            // stray continuation byte
        {"\xD0\x41", "?A"},         // lead without continuation
        {"\xC0\xAF", "??"},         // overlong '/'
        {"\xE0\x80\x80", "???"},    // overlong NUL
        {"\xED\xA0\x80", "???"},    // an encoded surrogate
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeCp1251(c.utf8), c.bytes) << c.utf8;
    }
}

}  // namespace
}  // namespace zep::sim
