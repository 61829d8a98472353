// The one reader of the Windows-1251 texts that devices, files and drivers carry.
#include "platform/cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace zep {
namespace {

TEST(Cp1251, DeviceTextsBecomeReadable) {
    const std::string kolvarType = "\xC6\xD3\xC2.\xD0-1";  // the Kolvar type as the device sends it
    EXPECT_EQ(Cp1251ToUtf8(kolvarType), "ЖУВ.Р-1");
    EXPECT_EQ(Cp1251ToUtf8("\xC4\xEE\xEC"), "Дом");
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8\xB9\x88"), "Ёё№€");
    EXPECT_EQ(Cp1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");  // the unassigned byte: U+FFFD
}

}  // namespace
}  // namespace zep
