// The card preview's rows, keys and summary, a row's key selecting exactly its archive for the
// import, and dates reformatted with two-digit parts.
#include "media/preview_model.h"

#include <gtest/gtest.h>

#include "media/card_file_name.h"
#include "media/media_import_worker.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"
#include "tools/cardgen/card_builders.h"

namespace zep {
namespace {

namespace fs = std::filesystem;
using cardgen::Bytes;
using cardgen::CardDatabaseBuilder;
using cardgen::CardLayout;
using cardgen::CardRecordSpec;

class Preview : public ::testing::Test {
protected:
    const PreviewRow* RowWithSerial(const std::string& serial) const {
        for (const auto& row : contents.rows) {
            if (row.serialNumber == serial) {
                return &row;
            }
        }
        return nullptr;
    }
    static CardRecordSpec Spec(const std::string& serial, const std::string& vname,
                               const std::string& virtualList) {
        CardRecordSpec spec;
        spec.serial = serial;
        spec.vname = vname;
        spec.virtualList = virtualList;
        spec.time = "5.3.2007 9:07";
        spec.type = "ТВ-7";
        return spec;
    }

    test::TempDir dir;
    CardFolderContents contents;
};

TEST_F(Preview, RowsKeysAndSummaryOfAMixedFolder) {
    cardgen::MeterArchiveSpec meter;
    meter.serial = "777";
    meter.virtualDevice = "3";
    meter.vname = "Котельная";
    const Bytes zep = cardgen::BuildMeterArchive(meter);
    cardgen::WriteBytes(dir / "m.zep", zep);
    cardgen::WriteBytes(dir / "p.zvo", Bytes(5000, 'x'));
    CardRecordSpec voided = Spec("900", "", "");
    voided.flags = 0x80;
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("100", "ЦТП-1", "1,2"), {{1}, {2}})
        .Add(voided)
        .AddArchive(Spec("200", "Школа", ""), {{3}});
    CardLayout layout;
    const Bytes database = builder.Build(&layout);
    cardgen::WriteBytes(dir / "TESSAL.DAT", database);

    contents = ReadCardFolder(dir.path());

    ASSERT_EQ(contents.rows.size(), 4u);
    EXPECT_EQ(contents.devices, 3u);
    EXPECT_EQ(contents.files, 3u);
    EXPECT_EQ(contents.bytes, zep.size() + database.size());  // the protocol is not counted

    const PreviewRow* fromZep = RowWithSerial("777");
    ASSERT_NE(fromZep, nullptr);
    EXPECT_EQ(fromZep->deviceType, "M1");
    EXPECT_EQ(fromZep->heatSystem, "3 (Котельная)");
    EXPECT_EQ(fromZep->date, "12.03.2009 10:15");
    EXPECT_EQ(fromZep->key, CardFileKey("m.zep"));

    const PreviewRow* first = RowWithSerial("100");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->deviceType, "ТВ-7");
    EXPECT_EQ(first->heatSystem, "ЦТП-1 (1,2)");
    EXPECT_EQ(first->date, "05.03.2007 09:07");
    EXPECT_EQ(first->key, CardFileKey("TESSAL.DAT") + layout.keys[0]);
    const PreviewRow* second = RowWithSerial("200");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->heatSystem, "Школа");  // an empty device list: no brackets
    EXPECT_EQ(second->key, CardFileKey("TESSAL.DAT") + layout.keys[3]);

    const PreviewRow* protocol = RowWithSerial("");
    ASSERT_NE(protocol, nullptr);
    EXPECT_EQ(protocol->deviceType, "Печатный протокол");
    EXPECT_EQ(protocol->key, CardFileKey("p.zvo"));

    char expected[128];
    std::snprintf(expected, sizeof expected, "Найдены данные 3 приборов в 3 файлах (%.2f Мб)",
                  static_cast<double>(zep.size() + database.size()) / 1048576.0);
    EXPECT_EQ(PreviewSummary(contents), expected);
}

TEST_F(Preview, ArchivesWithoutANameAndFilesThatAreNotCounted) {
    cardgen::MeterArchiveSpec meter;
    meter.vname = "";
    meter.virtualDevice = "12";
    cardgen::WriteBytes(dir / "m.zep", cardgen::BuildMeterArchive(meter));
    cardgen::WriteBytes(dir / "bad.zep", Bytes{'t', 'e', 's', 's', 0, 0, 0, 0});
    cardgen::WriteBytes(
        dir / "v1.dat",
        CardDatabaseBuilder().Version(1).AddArchive(Spec("1", "", ""), {{1}}).Build());
    CardRecordSpec continuation = Spec("5", "", "");
    continuation.volume = "2";
    CardRecordSpec deleted = Spec("6", "", "");
    deleted.flags = 0x10;
    cardgen::WriteBytes(dir / "rest.dat",
                        CardDatabaseBuilder().Add(continuation).Add(deleted).Build());
    cardgen::WriteBytes(dir / "notes.txt", Bytes{'h', 'i'});

    contents = ReadCardFolder(dir.path());
    ASSERT_EQ(contents.rows.size(), 1u);
    EXPECT_EQ(contents.rows[0].heatSystem, "12");
    EXPECT_EQ(contents.devices, 1u);
    EXPECT_EQ(contents.files, 2u);  // m.zep and rest.dat, which holds no first volume

    EXPECT_EQ(PreviewSummary(ReadCardFolder(dir / "missing")),
              "Найдены данные 0 приборов в 0 файлах (0.00 Мб)");
}

TEST_F(Preview, AKeyOfTheListSelectsExactlyThatArchiveForTheImport) {
    const fs::path card = dir / "card";
    const fs::path program = dir / "program";
    fs::create_directories(card);
    fs::create_directories(program);
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1", "A", ""), {{1}}).AddArchive(Spec("2", "B", ""), {{2}, {3}});
    cardgen::WriteBytes(card / "TESSAL.DAT", builder.Build());
    cardgen::WriteBytes(card / "m.zep", cardgen::BuildMeterArchive({}));

    contents = ReadCardFolder(card);
    const PreviewRow* chosen = RowWithSerial("2");
    ASSERT_NE(chosen, nullptr);
    WorkerParams params;
    params.folder = card;
    params.selection = {chosen->key};
    test::RecordingReport report;
    test::FakeClock clock;
    WorkerLock lock;
    MediaImportWorker(params, WorkerEnvironment{report, clock, lock, program});
    const auto files = test::ListFiles(program);
    ASSERT_EQ(files.size(), 1u);
    const Bytes bin = test::ReadFileBytes(program / files[0]);
    EXPECT_EQ(bin.back(), 3);  // the payloads 2, 3 of the second archive
    EXPECT_EQ(bin[bin.size() - 2], 2);
}

// The archive keys of the rows are the keys the import records, for every kind of row; a
// chain the import would drop (a volume missing) gets none, nor what follows it.
TEST_F(Preview, ArchiveKeysAreTheKeysTheImportRecords) {
    const fs::path card = dir / "card";
    const fs::path program = dir / "program";
    fs::create_directories(card);
    fs::create_directories(program);
    CardRecordSpec skipped = Spec("9", "", "");
    skipped.volume = "3";
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1", "A", ""), {{1}})
        .AddArchive(Spec("2", "B", ""), {{2}, {3}, {4}})
        .AddArchive(Spec("3", "C", ""), {{5}})
        .Add(skipped)
        .AddArchive(Spec("4", "D", ""), {{6}});
    cardgen::WriteBytes(card / "TESSAL.DAT", builder.Build());
    cardgen::WriteBytes(card / "m.zep", cardgen::BuildMeterArchive({}));
    cardgen::WriteBytes(card / "p.zvo", Bytes{'p'});

    contents = ReadCardFolder(card, ArchiveKeys::Compute);
    MemoryImportHistory history;
    WorkerParams params;
    params.folder = card;
    test::RecordingReport report;
    test::FakeClock clock;
    WorkerLock lock;
    MediaImportWorker(
        params, WorkerEnvironment{report, clock, lock, program, StopRequest::Never(), &history});
    ASSERT_EQ(contents.rows.size(), 6u);
    EXPECT_EQ(history.ArchiveCount(), 4u);  // m.zep, p.zvo, and the archives before the gap
    for (const PreviewRow& row : contents.rows) {
        const bool dropped = row.serialNumber == "3" || row.serialNumber == "4";
        ASSERT_EQ(row.archive.has_value(), !dropped) << row.serialNumber;
        if (!dropped) {
            EXPECT_TRUE(history.Contains(*row.archive)) << row.serialNumber;
        }
    }
    EXPECT_FALSE(ReadCardFolder(card).rows[0].archive.has_value());  // only when asked for
}

TEST(ReformatDate, DigitRunsGetTwoDigitsAndEverythingElseStays) {
    EXPECT_EQ(ReformatDate("5.3.2007 9:07"), "05.03.2007 09:07");
    EXPECT_EQ(ReformatDate("0/007/100"), "00/07/100");
    EXPECT_EQ(ReformatDate("дата: 1"), "дата: 01");
    EXPECT_EQ(ReformatDate(""), "");
    const std::string longRun(40, '9');
    EXPECT_EQ(ReformatDate(longRun + ".1"), longRun + ".01");
}

}  // namespace
}  // namespace zep
