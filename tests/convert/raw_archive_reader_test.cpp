// The meter archive reader: header values, every damaged header refused, records handed out as
// stored with progress, and a damaged record ending the reading.
#include "convert/raw_archive_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/archive_builder.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::HeaderFlaw;
using test::MeterArchiveBuilder;
using test::RecordFlaw;
using Failure = RawArchiveReader::OpenFailure;
using Stop = RawArchiveReader::StopReason;

class RawArchiveReaderTest : public ::testing::Test {
protected:
    // Writes the bytes as a file and opens it with a fresh reader.
    bool OpenBytes(const Bytes& bytes) {
        test::WriteFileBytes(File(), bytes);
        return m_reader.Open(File());
    }
    bool OpenBuilt(const MeterArchiveBuilder& builder) { return OpenBytes(builder.Build()); }
    fs::path File() const { return m_dir / "20261207080000.bia"; }

    // Kinds and data of every record the reader hands out.
    std::vector<std::pair<int, Bytes>> ReadAll() {
        std::vector<std::pair<int, Bytes>> records;
        while (const auto record = m_reader.ReadRecord()) {
            const auto data = record->Data();
            records.emplace_back(record->Kind(), Bytes(data.begin(), data.end()));
        }
        return records;
    }

    test::TempDir m_dir;
    RawArchiveReader m_reader;
};

TEST_F(RawArchiveReaderTest, ValuesOfTheHeaderText) {
    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().Value("Type", "M1").Value("Serial", "123")));
    EXPECT_EQ(m_reader.GetHeaderText(), "Type=M1\nSerial=123\n");
    EXPECT_EQ(m_reader.GetValue("Type"), "M1");
    EXPECT_EQ(m_reader.GetValue("Serial"), "123");
    EXPECT_EQ(m_reader.GetValue("Vname"), "");
    // "Serial" occurs but not followed by "=": the search goes on one character later.
    EXPECT_EQ(m_reader.GetValue("Ser"), "");
}

TEST_F(RawArchiveReaderTest, ValuesConcatenateEveryOccurrenceAndKeepCarriageReturns) {
    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().HeaderText("SubType=A\nType=B\n")));
    EXPECT_EQ(m_reader.GetValue("Type"), "AB");

    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().HeaderText("Type=M1\r\nVname=\xC4\xEE\xEC")));
    EXPECT_EQ(m_reader.GetValue("Type"), "M1\r");
    EXPECT_EQ(m_reader.GetValue("Vname"), "\xC4\xEE\xEC");  // last line without a line feed

    // A key whose value holds the key again: the search resumes after the line feed.
    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().HeaderText("Time=Time=1\nTime=2\n")));
    EXPECT_EQ(m_reader.GetValue("Time"), "Time=12");
}

TEST_F(RawArchiveReaderTest, OpenRejectsEveryDamagedHeader) {
    const auto valid = MeterArchiveBuilder().Value("Type", "M1");
    ASSERT_TRUE(OpenBuilt(valid));

    EXPECT_FALSE(OpenBuilt(MeterArchiveBuilder(valid).HeaderLength(0)));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::BadHeaderLength);
    EXPECT_FALSE(OpenBuilt(MeterArchiveBuilder(valid).HeaderLength(2)));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::BadHeaderLength);
    EXPECT_FALSE(OpenBuilt(MeterArchiveBuilder(valid).Flaw(HeaderFlaw::BadSignature)));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::BadSignature);
    EXPECT_FALSE(OpenBuilt(MeterArchiveBuilder(valid).Flaw(HeaderFlaw::NonZeroTerminator)));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::MissingTerminator);
    EXPECT_FALSE(OpenBuilt(MeterArchiveBuilder(valid).Flaw(HeaderFlaw::BadCheck)));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::BadHeaderCheck);

    Bytes oneShort = valid.Build();
    oneShort.pop_back();
    EXPECT_FALSE(OpenBytes(oneShort));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::ShortHeaderBlock);
    EXPECT_FALSE(OpenBytes(Bytes(oneShort.begin(), oneShort.begin() + 7)));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::ShortFileHeader);
    EXPECT_FALSE(OpenBytes({}));

    EXPECT_FALSE(m_reader.Open(m_dir / "absent.bia"));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::CannotOpen);
    EXPECT_FALSE(m_reader.Open(m_dir.path()));
    EXPECT_EQ(m_reader.LastOpenFailure(), Failure::CannotOpen);
}

TEST_F(RawArchiveReaderTest, AFailedOpenForgetsTheEarlierArchive) {
    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().Value("Type", "M1").Record(1, {9})));
    EXPECT_FALSE(m_reader.Open(m_dir / "absent.bia"));
    EXPECT_EQ(m_reader.GetHeaderText(), "");
    EXPECT_EQ(m_reader.GetValue("Type"), "");
    EXPECT_EQ(m_reader.ReadRecord(), std::nullopt);
    EXPECT_EQ(m_reader.GetProgress(), 0);
}

TEST_F(RawArchiveReaderTest, SmallestHeaderAndSmallestRecord) {
    // N = 3: empty text, its NUL and the check word. L = 4: 'T', kind and no data.
    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().Record(5, {})));
    EXPECT_EQ(m_reader.GetHeaderText(), "");
    const auto record = m_reader.ReadRecord();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Length(), 4);
    EXPECT_EQ(record->Kind(), 5);
    EXPECT_TRUE(record->Data().empty());
    EXPECT_EQ(record->bytes.size(), 6u);
    EXPECT_EQ(m_reader.ReadRecord(), std::nullopt);
    EXPECT_EQ(m_reader.LastStop(), Stop::EndOfFile);
}

TEST_F(RawArchiveReaderTest, RecordsComeOutAsStoredWithProgress) {
    Bytes big(1000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i);
    const auto builder = MeterArchiveBuilder()
                             .Value("Type", "M1")
                             .Record(1, {0x10, 0x20, 0x30})
                             .Record(0xFF, big)
                             .Record(0, {0});
    EXPECT_EQ(m_reader.GetProgress(), 0);
    ASSERT_TRUE(OpenBuilt(builder));
    const auto length = builder.Build().size();
    EXPECT_EQ(m_reader.GetProgress(), static_cast<int>(builder.FirstRecordOffset() * 100 / length));

    auto first = m_reader.ReadRecord();
    ASSERT_TRUE(first.has_value());
    // The record as it stands in the file: L, 'T', kind, data, check word.
    const Bytes expected = test::MeterRecordBytes(1, {0x10, 0x20, 0x30});
    EXPECT_EQ(Bytes(first->bytes.begin(), first->bytes.end()), expected);
    EXPECT_EQ(m_reader.GetProgress(), static_cast<int>(builder.BodyOffsets()[1] * 100 / length));

    const auto rest = ReadAll();
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].first, 0xFF);
    EXPECT_EQ(rest[0].second, big);
    EXPECT_EQ(rest[1], (std::pair<int, Bytes>{0, {0}}));
    EXPECT_EQ(m_reader.GetProgress(), 100);
    EXPECT_EQ(m_reader.LastStop(), Stop::EndOfFile);
}

TEST_F(RawArchiveReaderTest, NoRecordsAfterAValidHeader) {
    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().Value("Type", "M1")));
    EXPECT_EQ(m_reader.ReadRecord(), std::nullopt);
    EXPECT_EQ(m_reader.LastStop(), Stop::EndOfFile);
    EXPECT_EQ(m_reader.GetProgress(), 100);
}

TEST_F(RawArchiveReaderTest, ADamagedRecordEndsTheReading) {
    struct Case {
        const char* name;
        Bytes damaged;
        Stop reason;
    };
    const std::vector<Case> cases = {
        {"bad check word", test::MeterRecordBytes(2, {1, 2}, RecordFlaw::BadCheck), Stop::BadCheck},
        {"no T", test::MeterRecordBytes(2, {1, 2}, RecordFlaw::NotT), Stop::NoT},
        {"L = 0", {0, 0, 'T', 2}, Stop::ZeroLength},
        {"L = 3", {3, 0, 'T', 2, 0}, Stop::ShortLength},
        {"L past the end", {0x20, 0, 'T', 2, 1, 2, 3}, Stop::Truncated},
        {"one length byte", {4}, Stop::EndOfFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool lastOnly = c.reason == Stop::Truncated || c.reason == Stop::EndOfFile;
        auto builder = MeterArchiveBuilder().Value("Type", "M1").Record(1, {7}).Raw(c.damaged);
        if (!lastOnly) {
            builder.Record(3, {8});  // never reached
        }
        ASSERT_TRUE(OpenBuilt(builder));
        EXPECT_EQ(ReadAll(), (std::vector<std::pair<int, Bytes>>{{1, {7}}}));
        EXPECT_EQ(m_reader.LastStop(), c.reason);
        EXPECT_EQ(m_reader.ReadRecord(), std::nullopt);
    }
}

TEST_F(RawArchiveReaderTest, ReservedBytesAreNotInterpreted) {
    ASSERT_TRUE(OpenBuilt(MeterArchiveBuilder().Reserved(0xFFFF).Value("Type", "X").Record(1, {})));
    EXPECT_EQ(m_reader.GetValue("Type"), "X");
    EXPECT_EQ(ReadAll().size(), 1u);
}

}  // namespace
}  // namespace zep
