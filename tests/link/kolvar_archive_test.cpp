// The assembled archive made of a Kolvar record: its layout byte for byte, the size bounds and
// overlong texts.
#include "link/kolvar_archive.h"

#include <gtest/gtest.h>

#include <cstring>

#include "convert/assembled_archive.h"
#include "tests/link/link_test_support.h"

namespace zep::test {
namespace {

// A record with its three texts in place.
Bytes Record(std::size_t size) {
    Bytes record = Pattern(size, 11);
    const auto put = [&](std::size_t at, const char* text) {
        std::memcpy(&record[at], text, std::strlen(text) + 1);
    };
    put(0, "Kv-12");
    put(15, "SN0042");
    put(30, "\xCA\xEE\xF2\xE5\xEB");  // "Котел" in Windows-1251
    return record;
}

TEST(KolvarArchive, LayoutOfA300ByteRecord) {
    const Bytes record = Record(300);
    const Bytes file = BuildKolvarArchive(record);
    ASSERT_EQ(file.size(), 520u);
    EXPECT_EQ(ReadBe16(&file[0]), 255);
    // Title: text at 30, device type, virtual devices, text at 0, text at 15, zero fill.
    const std::string title(file.begin() + 2, file.begin() + 257);
    const std::string strings = std::string("\xCA\xEE\xF2\xE5\xEB\0", 6) +
                                std::string("\xC6\xD3\xC2.\xD0-1\0", 8) + std::string("0\0", 2) +
                                std::string("Kv-12\0", 6) + std::string("SN0042\0", 7);
    EXPECT_EQ(title, strings + std::string(255 - strings.size(), '\0'));
    const struct {
        std::size_t at;
        std::uint8_t kind;
        std::size_t length;
        std::size_t from;
    } blocks[] = {{257, 0, 96, 49}, {357, 1, 32, 145}, {393, 2, 123, 177}};
    for (const auto& b : blocks) {
        EXPECT_EQ(file[b.at], 'T');
        EXPECT_EQ(file[b.at + 1], b.kind);
        EXPECT_EQ(ReadBe16(&file[b.at + 2]), b.length);
        EXPECT_TRUE(std::equal(record.begin() + b.from, record.begin() + b.from + b.length,
                               file.begin() + b.at + 4))
            << int(b.kind);
    }
    // The conversion's reader sees the same.
    int records = 0;
    EXPECT_EQ(WalkAssembledArchive(file, [&](const AssembledRecord&) { return ++records; }),
              WalkResult::Ok);
    EXPECT_EQ(records, 3);
    EXPECT_EQ(NthString(TitleArea(file), 3), "Kv-12");
}

TEST(KolvarArchive, SizeBoundsAndOverlongTexts) {
    EXPECT_TRUE(BuildKolvarArchive(Pattern(176, 1)).empty());
    EXPECT_TRUE(BuildKolvarArchive(Bytes(kKolvarMaxRecordSize + 1, 1)).empty());
    const Bytes smallest = BuildKolvarArchive(Record(177));
    ASSERT_EQ(smallest.size(), 397u);
    EXPECT_EQ(ReadBe16(&smallest[395]), 0);
    EXPECT_EQ(BuildKolvarArchive(Bytes(kKolvarMaxRecordSize, 1)).size(),
              static_cast<std::size_t>(kKolvarMaxRecordSize) + 220);

    // No terminator anywhere: each text is cut, and the fixed strings still fit whole.
    const Bytes file = BuildKolvarArchive(Bytes(1000, 'a'));
    ASSERT_EQ(file.size(), 1220u);
    const auto title = TitleArea(file);
    EXPECT_EQ(NthString(title, 0), std::string(kKolvarMaxTitleText, 'a'));
    EXPECT_EQ(NthString(title, 1), "\xC6\xD3\xC2.\xD0-1");
    EXPECT_EQ(NthString(title, 2), "0");
    EXPECT_EQ(NthString(title, 4), std::string(kKolvarMaxTitleText, 'a'));
    EXPECT_EQ(file[257], 'T');
}

}  // namespace
}  // namespace zep::test
