// Card databases: damaged headers and indexes refused, records kept inside the file, and changed
// flags written back one byte each.
#include "media/card_database.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/crc16.h"
#include "tests/support/failing_files.h"
#include "tests/support/temp_dir.h"
#include "tools/cardgen/card_builders.h"

namespace zep {
namespace {

using cardgen::Bytes;
using cardgen::CardDatabaseBuilder;
using cardgen::CardLayout;
using cardgen::CardRecordSpec;
using test::TempDir;

class CardDatabaseFile : public ::testing::Test {
protected:
    int LoadBytes(const Bytes& bytes) {
        cardgen::WriteBytes(file, bytes);
        return database.Load(file);
    }
    static CardRecordSpec Spec(const std::string& volume, std::size_t payload) {
        CardRecordSpec spec;
        spec.volume = volume;
        spec.payload = cardgen::PatternBytes(payload, static_cast<std::uint32_t>(payload));
        return spec;
    }
    static void PutBe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
        for (int k = 0; k < 4; ++k) {
            bytes[at + k] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
        }
    }

    TempDir dir;
    std::filesystem::path file = dir / "TESSAL.DAT";
    CCardDatabase database;
};

TEST_F(CardDatabaseFile, HeaderCodes) {
    EXPECT_EQ(database.Load(dir / "missing"), kCardCannotOpen);
    Bytes header = CardDatabaseBuilder().Build();
    header.resize(72);
    EXPECT_EQ(LoadBytes(header), kCardLoaded);  // no block header: empty index
    EXPECT_EQ(database.Count(), 0u);
    EXPECT_EQ(LoadBytes(Bytes(header.begin(), header.begin() + 71)), kCardTooShort);
    EXPECT_EQ(LoadBytes(CardDatabaseBuilder().Signature("tess").Add(Spec("1", 4)).Build()),
              kCardBadSignature);
    EXPECT_EQ(LoadBytes(CardDatabaseBuilder().Version(1).Add(Spec("1", 4)).Build()), kCardLoaded);
    EXPECT_EQ(database.Version(), 1);
}

TEST_F(CardDatabaseFile, IndexCodes) {
    CardDatabaseBuilder three;
    three.Add(Spec("1", 10)).Add(Spec("2", 10)).Add(Spec("1", 10));
    CardLayout layout;
    const Bytes good = three.Build(&layout);
    ASSERT_EQ(LoadBytes(good), kCardLoaded);
    EXPECT_EQ(database.Count(), 3u);
    EXPECT_EQ(database.FileLength(), good.size());

    Bytes zeroCount = good;
    zeroCount[76] = zeroCount[77] = 0;
    EXPECT_EQ(LoadBytes(zeroCount), kCardBadIndex);
    EXPECT_EQ(database.Count(), 0u);
    EXPECT_EQ(LoadBytes(three.SecondBlockAfter(1).Build()), kCardBadIndex);

    // The file ends inside the index: two entries read, three announced.
    const Bytes cut(good.begin(), good.begin() + layout.indexPositions[2] + 5);
    EXPECT_EQ(LoadBytes(cut), kCardBadIndex);
}

TEST_F(CardDatabaseFile, ABlockPointingBackAtAnEmptyBlockEnds) {
    // Block 1 holds one entry and points to a block at the end of the file that holds no
    // readable entry but claims the same count and points at itself.
    Bytes image = CardDatabaseBuilder().Add(Spec("1", 8)).Build();
    const auto tail = static_cast<std::uint32_t>(image.size());
    image[72] = static_cast<std::uint8_t>(tail);
    image[73] = static_cast<std::uint8_t>(tail >> 8);
    image[74] = static_cast<std::uint8_t>(tail >> 16);
    image[75] = static_cast<std::uint8_t>(tail >> 24);
    image.insert(image.end(), {image[72], image[73], image[74], image[75], 0, 1});
    EXPECT_EQ(LoadBytes(image), kCardBadIndex);
}

TEST_F(CardDatabaseFile, MoreEntriesThanTheTableHoldsAreRejected) {
    // 65,535 entries in the first block and two more in a second: the index alone decides.
    Bytes image = CardDatabaseBuilder().Build();
    image.resize(72);
    const std::uint32_t second = 72 + 6 + 8 * 65535;
    image.insert(image.end(),
                 {static_cast<std::uint8_t>(second), static_cast<std::uint8_t>(second >> 8),
                  static_cast<std::uint8_t>(second >> 16), 0, 0xFF, 0xFF});
    for (std::uint32_t i = 0; i < 65535 + 2; ++i) {
        if (i == 65535) {
            image.insert(image.end(), {0, 0, 0, 0, 0, 2});
        }
        image.resize(image.size() + 8);
        PutBe32(image, image.size() - 8, 0x01000000 + i);
    }
    EXPECT_EQ(LoadBytes(image), kCardBadIndex);
    EXPECT_EQ(database.Count(), 0u);
}

TEST_F(CardDatabaseFile, RecordOffsetsMustIncreaseAndStayInsideTheFile) {
    CardDatabaseBuilder builder;
    builder.Add(Spec("1", 10)).Add(Spec("2", 10)).Add(Spec("3", 10));
    CardLayout layout;
    const Bytes good = builder.Build(&layout);

    Bytes equal = good;
    PutBe32(equal, layout.indexPositions[1], layout.recordOffsets[0]);
    EXPECT_EQ(LoadBytes(equal), kCardReadFailed);
    Bytes decreasing = good;
    PutBe32(decreasing, layout.indexPositions[2], layout.recordOffsets[0] + 1);
    EXPECT_EQ(LoadBytes(decreasing), kCardReadFailed);
    Bytes beyond = good;
    PutBe32(beyond, layout.indexPositions[2], static_cast<std::uint32_t>(good.size()) + 100);
    EXPECT_EQ(LoadBytes(beyond), kCardReadFailed);
    EXPECT_EQ(database.Count(), 0u);
    EXPECT_FALSE(database.Record(0).has_value());
}

TEST_F(CardDatabaseFile, RecordsExposeTheirPartsAndCheckWord) {
    CardRecordSpec first = Spec("1", 5);
    first.padding = 3;
    CardRecordSpec second = Spec("2", 7);
    second.wrongCheckWord = true;
    CardLayout layout;
    ASSERT_EQ(LoadBytes(CardDatabaseBuilder().Add(first).Add(second).Build(&layout)), kCardLoaded);

    const auto record = database.Record(0);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->bytes.size(), cardgen::BuildCardRecord(first).size());
    EXPECT_TRUE(record->CheckWordMatches());
    EXPECT_EQ(record->Payload().size(), 5u);
    EXPECT_TRUE(
        std::equal(record->Payload().begin(), record->Payload().end(), first.payload.begin()));
    EXPECT_EQ(record->Title(1), "M1");
    EXPECT_EQ(record->Title(4), "200001");
    EXPECT_EQ(record->Volume(), 1);
    // The key reads the stored bytes low byte first; the CRC comparison reads them high first.
    EXPECT_EQ(record->StoredCheckAsKey(), layout.keys[0]);
    const auto key = static_cast<std::uint16_t>(layout.keys[0]);
    EXPECT_EQ(record->StoredCheckBe(), static_cast<std::uint16_t>(key << 8 | key >> 8));
    EXPECT_EQ(record->Checked().size(), record->Length() - 2u);

    ASSERT_TRUE(database.Record(1).has_value());
    EXPECT_FALSE(database.Record(1)->CheckWordMatches());
    EXPECT_EQ(database.Record(1)->Volume(), 2);
    EXPECT_FALSE(database.Record(2).has_value());
    EXPECT_EQ(database.Flags(2), 0);
}

// A card is read in windows of many records: fewer reads than records, each record whole, also
// a record larger than a window, and a failing read still counts as failed.
TEST_F(CardDatabaseFile, RecordsAreReadInWindowsNotOneReadEach) {
    CardDatabaseBuilder builder;
    for (int i = 0; i < 300; ++i) {
        builder.Add(Spec("1", 3000 + static_cast<std::size_t>(i)));
    }
    builder.Add(Spec("1", 60000));
    ASSERT_EQ(LoadBytes(builder.Build()), kCardLoaded);
    test::FailingFiles files;
    for (std::uint32_t i = 0; i < database.Count(); ++i) {
        const auto record = database.Record(i);
        ASSERT_TRUE(record.has_value()) << i;
        EXPECT_EQ(record->Payload().size(), i < 300 ? 3000 + i : 60000u) << i;
    }
    const auto calls = files.Calls();
    const auto reads = std::count_if(calls.begin(), calls.end(),
                                     [](const auto& call) { return call.call == FileCall::Read; });
    EXPECT_LT(reads, static_cast<long>(database.Count()) / 10);
    EXPECT_FALSE(database.ReadFailed());

    ASSERT_EQ(database.Load(file), kCardLoaded);
    files.Fail(FileCall::Read, 0);
    EXPECT_FALSE(database.Record(0).has_value());
    EXPECT_TRUE(database.ReadFailed());
}

TEST(CardRecordParse, RejectsLengthsOutsideTheExtentAndShortTitleAreas) {
    const Bytes good = cardgen::BuildCardRecord(CardRecordSpec{});
    ASSERT_TRUE(CardRecord::Parse(good).has_value());
    const auto withL = [&](std::uint16_t length) {
        Bytes bytes = good;
        bytes[8] = static_cast<std::uint8_t>(length >> 8);
        bytes[9] = static_cast<std::uint8_t>(length);
        return bytes;
    };
    const auto withH = [&](std::uint16_t length) {
        Bytes bytes = good;
        bytes[12] = static_cast<std::uint8_t>(length >> 8);
        bytes[13] = static_cast<std::uint8_t>(length);
        return bytes;
    };
    const std::uint16_t length = ReadBe16(good.data() + 8);
    EXPECT_FALSE(CardRecord::Parse(withL(length + 1)).has_value());  // data beyond the extent
    EXPECT_FALSE(CardRecord::Parse(withL(3)).has_value());           // no room for H
    EXPECT_FALSE(CardRecord::Parse(withH(length - 3)).has_value());  // title beyond the data
    EXPECT_FALSE(CardRecord::Parse(std::span(good).first(13)).has_value());

    CardRecordSpec fiveStrings;
    Bytes shortTitle = cardgen::BuildCardRecord(fiveStrings);
    // Turning the last terminator into a digit leaves five terminated strings.
    const std::size_t lastNul = 14 + ReadBe16(shortTitle.data() + 12) - 1;
    ASSERT_EQ(shortTitle[lastNul], 0);
    shortTitle[lastNul] = '7';
    EXPECT_FALSE(CardRecord::Parse(shortTitle).has_value());
}

TEST_F(CardDatabaseFile, SaveFlagsWritesExactlyOneBytePerChangedEntry) {
    CardDatabaseBuilder builder;
    for (int i = 0; i < 4; ++i) {
        builder.Add(Spec("1", 6));
    }
    CardLayout layout;
    const Bytes original = builder.Build(&layout);
    ASSERT_EQ(LoadBytes(original), kCardLoaded);
    EXPECT_TRUE(database.SaveFlags());  // nothing changed: nothing written
    EXPECT_EQ(test::ReadFileBytes(file), original);
    EXPECT_FALSE(database.IsModified());

    EXPECT_TRUE(database.Mark(1, kCardFlagDeleted));
    EXPECT_TRUE(database.Mark(3, kCardFlagDeleted | kCardFlagVoid));
    EXPECT_FALSE(database.Mark(4, kCardFlagDeleted));
    EXPECT_TRUE(database.IsModified());
    EXPECT_EQ(database.CountFlagged(kCardFlagDeleted), 2u);
    EXPECT_EQ(database.CountFlagged(kCardFlagVoid), 1u);
    ASSERT_TRUE(database.SaveFlags());

    Bytes expected = original;
    expected[layout.indexPositions[1] + 4] = 0x10;
    expected[layout.indexPositions[3] + 4] = 0x90;
    EXPECT_EQ(test::ReadFileBytes(file), expected);

    // Marking a bit already set still rewrites the byte: a stray change on the card is undone.
    ASSERT_EQ(database.Load(file), kCardLoaded);
    EXPECT_EQ(database.Flags(1), 0x10);
    Bytes tampered = expected;
    tampered[layout.indexPositions[1] + 4] = 0;
    cardgen::WriteBytes(file, tampered);
    database.Mark(1, kCardFlagDeleted);
    ASSERT_TRUE(database.SaveFlags());
    EXPECT_EQ(test::ReadFileBytes(file), expected);

    database.Mark(0, kCardFlagDeleted);
    std::filesystem::remove(file);
    EXPECT_FALSE(database.SaveFlags());
}

}  // namespace
}  // namespace zep
