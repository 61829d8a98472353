// The walk of assembled archives and of their title areas: records found exactly, damage told
// apart, and nothing read past the end of the file or the area.
#include "convert/assembled_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/archive_builder.h"

namespace zep {
namespace {

using test::AssembledArchiveBuilder;
using test::Bytes;

struct Walked {
    WalkResult result;
    std::vector<std::pair<int, Bytes>> records;
};

Walked Walk(const Bytes& image) {
    Walked walked{};
    walked.result = WalkAssembledArchive(image, [&](const AssembledRecord& record) {
        walked.records.emplace_back(record.kind, Bytes(record.data.begin(), record.data.end()));
        return true;
    });
    return walked;
}

AssembledArchiveBuilder Titled() {
    return AssembledArchiveBuilder().Titles({"", "M1", "1,2", "V", "9"});
}

TEST(AssembledWalk, FileEndingAfterTheTitleAreaHasNoRecords) {
    const auto walked = Walk(Titled().Build());
    EXPECT_EQ(walked.result, WalkResult::Ok);
    EXPECT_TRUE(walked.records.empty());
    EXPECT_EQ(Walk({0, 0}).result, WalkResult::Ok);  // H = 0, nothing else
}

TEST(AssembledWalk, RecordExactlyFillingTheFile) {
    const auto image = Titled().Record(7, {1, 2, 3}).Build();
    const auto walked = Walk(image);
    EXPECT_EQ(walked.result, WalkResult::Ok);
    EXPECT_EQ(walked.records, (std::vector<std::pair<int, Bytes>>{{7, {1, 2, 3}}}));

    const auto several =
        Walk(Titled().Record(1, {}).Record(2, Bytes(300, 0xAA)).Record(3, {4}).Build());
    EXPECT_EQ(several.result, WalkResult::Ok);
    ASSERT_EQ(several.records.size(), 3u);
    EXPECT_TRUE(several.records[0].second.empty());
    EXPECT_EQ(several.records[1].second.size(), 300u);
    EXPECT_EQ(several.records[2], (std::pair<int, Bytes>{3, {4}}));
}

TEST(AssembledWalk, TrailingByteDecidesTheError) {
    const auto withT = Walk(Titled().Record(7, {1, 2, 3}).Raw({'T'}).Build());
    EXPECT_EQ(withT.result, WalkResult::StructureError);
    EXPECT_EQ(withT.records.size(), 1u);  // the good record went to the consumer first

    EXPECT_EQ(Walk(Titled().Record(7, {1, 2, 3}).Raw({'x'}).Build()).result,
              WalkResult::FormatError);
    EXPECT_EQ(Walk(Titled().Record(7, {1, 2, 3}).Raw({0}).Build()).result, WalkResult::FormatError);
}

TEST(AssembledWalk, BrokenRecordsAndAreas) {
    // First record byte other than 'T'.
    EXPECT_EQ(Walk(Titled().Raw({'S', 7, 0, 1, 5}).Build()).result, WalkResult::FormatError);
    // n running past the end, by one byte and by a lot.
    EXPECT_EQ(Walk(Titled().Raw({'T', 7, 0, 4, 1, 2, 3}).Build()).result,
              WalkResult::StructureError);
    EXPECT_EQ(Walk(Titled().Raw({'T', 7, 0xFF, 0xFF}).Build()).result, WalkResult::StructureError);
    // A record head cut short.
    EXPECT_EQ(Walk(Titled().Raw({'T', 7, 0}).Build()).result, WalkResult::StructureError);
    // A file shorter than its title area, or than the length field itself.
    EXPECT_EQ(Walk(Titled().TitleLength(200).Build()).result, WalkResult::StructureError);
    EXPECT_EQ(Walk({0}).result, WalkResult::StructureError);
    EXPECT_EQ(Walk({}).result, WalkResult::StructureError);
}

TEST(AssembledWalk, ConsumerCanStopEarly) {
    const auto image = Titled().Record(1, {1}).Record(2, {2}).Raw({'x'}).Build();
    int seen = 0;
    const auto result = WalkAssembledArchive(image, [&](const AssembledRecord& record) {
        ++seen;
        EXPECT_EQ(record.endOffset, FirstRecordOffset(image).value() + 5);
        return false;
    });
    EXPECT_EQ(result, WalkResult::Ok);
    EXPECT_EQ(seen, 1);
}

TEST(TitleArea, StringsAreFoundByCountingTerminators) {
    const auto image = AssembledArchiveBuilder().Titles({"zero", "", "\xC4\xEE\xEC", "3"}).Build();
    const auto area = TitleArea(image);
    EXPECT_EQ(area.size(), 12u);
    EXPECT_EQ(NthString(area, 0), "zero");
    EXPECT_EQ(NthString(area, 1), "");
    EXPECT_EQ(NthString(area, 2), "\xC4\xEE\xEC");
    EXPECT_EQ(NthString(area, 3), "3");
    EXPECT_EQ(NthString(area, 4), std::nullopt);
    EXPECT_EQ(NthString(area, -1), std::nullopt);
    EXPECT_EQ(FirstRecordOffset(image), 14u);
}

TEST(TitleArea, UnterminatedAndClippedAreasNeverReadPastTheirEnd) {
    const auto noTerminators = AssembledArchiveBuilder().TitleRaw(test::ToBytes("ZUVO")).Build();
    EXPECT_EQ(NthString(TitleArea(noTerminators), 0), std::nullopt);

    const auto lastOpen =
        AssembledArchiveBuilder().Title("a").TitleRaw(test::ToBytes("bc")).Build();
    EXPECT_EQ(NthString(TitleArea(lastOpen), 0), "a");
    EXPECT_EQ(NthString(TitleArea(lastOpen), 1), std::nullopt);

    // H larger than the file: the area is clipped to what is there.
    const auto clipped = AssembledArchiveBuilder().Title("a").Title("b").TitleLength(100).Build();
    EXPECT_EQ(TitleArea(clipped).size(), 4u);
    EXPECT_EQ(NthString(TitleArea(clipped), 1), "b");
    EXPECT_EQ(FirstRecordOffset(clipped), std::nullopt);
    EXPECT_TRUE(TitleArea(Bytes{0}).empty());
}

}  // namespace
}  // namespace zep
