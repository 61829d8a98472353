// Meter archive conversion: the device section byte for byte, driver results and failures, damage
// and cut texts that keep the raw file, and import folders that refuse files.
#include "convert/meter_conversion.h"

#include "convert/output_file.h"
#include "sdk/vl_driver.h"
#include "tests/convert/conversion_test_base.h"

namespace zep::test {
namespace {

// Дом in Windows-1251.
const std::string kHome = "\xC4\xEE\xEC";
const std::string kHeader = "Type=M1\nSerial=12/3.4\nVirtual=2\nVname=" + kHome + "\n";
const std::string kDeviceSection =
    "[DEVICE]\r\nType=M1\r\nSerial=12/3.4\r\nVirtual=2\r\nVname=" + kHome +
    "\r\n\r\n[DEVICE_END]\r\n";

class MeterConversionTest : public ConversionTestBase {
protected:
    bool Convert(const Bytes& archive) {
        label = "unchanged";
        return ConvertMeterArchive(WriteRaw("20240101120000.bia", archive), import.path(), context,
                                   label);
    }
    // A header naming the script driver, whose records say what the driver does.
    bool ConvertScript(const std::vector<Bytes>& scripts, const std::string& virtualLine = "7") {
        std::vector<RawRecord> records;
        for (const Bytes& script : scripts) {
            records.push_back({9, script});
        }
        return Convert(
            MeterArchive("Type=TEST\nSerial=5\nVirtual=" + virtualLine + "\nVname=V\n", records));
    }
    std::string OnlyImportFile() const {
        const auto files = ImportFiles();
        return files.size() == 1 ? ReadFileText(import / files[0])
                                 : "<" + std::to_string(files.size()) + " files>";
    }

    std::string label;
};

TEST_F(MeterConversionTest, ArchiveWithoutRecordsGivesTheDeviceSectionByteExact) {
    EXPECT_TRUE(Convert(MeterArchive(kHeader, {})));
    EXPECT_EQ(ImportFiles(), std::vector<std::string>{Stamp() + "_0.imp"});
    EXPECT_EQ(OnlyImportFile(), kDeviceSection);
    EXPECT_EQ(label, "M1_12-3 4_2");
    EXPECT_EQ(report.Upper(), (std::vector<std::string>{"$02CNV: Обработка M1, 12/3.4, Дом ...",
                                                        "$02CNV:Обработка завершена"}));
    EXPECT_TRUE(report.Lower().empty());
}

TEST_F(MeterConversionTest, RecordWithoutDataCallsNoDriverButPostsProgress) {
    // No driver is loaded for the type: a record without data must not look one up.
    const std::string header = "Type=NONE\nSerial=1\nVirtual=1\nVname=x\n";
    EXPECT_TRUE(Convert(MeterArchive(header, {{5, {}}})));
    EXPECT_EQ(ImportFiles().size(), 1u);
    const auto bars = report.Bars();
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].bar, 2);
    EXPECT_EQ(bars[0].position, 100);
    EXPECT_FALSE(bars[0].caption.has_value());
}

TEST_F(MeterConversionTest, UnknownTypeFailsWithoutAnImportFile) {
    const std::string header = "Type=M2\nSerial=1\nVirtual=1\nVname=x\n";
    EXPECT_FALSE(Convert(MeterArchive(header, {{1, {1, 2, 3}}})));
    EXPECT_TRUE(ImportFiles().empty());
    EXPECT_EQ(report.Upper(), (std::vector<std::string>{"$02CNV: Обработка M2, 1, x ...",
                                                        "$04CNV: Не найден драйвер прибора 'M2'.",
                                                        "$02CNV:Обработка завершена"}));
    EXPECT_EQ(label, "M2_1_1");
}

TEST_F(MeterConversionTest, InvalidHeaderIsAFormatErrorWithAnEmptyLabel) {
    Bytes archive = MeterArchive(kHeader, {});
    archive[10] ^= 1;  // the header's check word no longer fits
    EXPECT_FALSE(Convert(archive));
    EXPECT_EQ(label, "unchanged");
    EXPECT_TRUE(ImportFiles().empty());
    EXPECT_EQ(report.Upper(), (std::vector<std::string>{"$04Ошибка формата ZEP-файла (.BIA)",
                                                        "$02CNV:Обработка завершена"}));
    label.clear();
    EXPECT_FALSE(ConvertMeterArchive(raw / "absent.bia", import.path(), context, label));
    EXPECT_EQ(label, "");
}

TEST_F(MeterConversionTest, DriverTextFollowsTheDeviceSectionWithTheRecordFields) {
    EXPECT_TRUE(ConvertScript({Script("Eab"), Script("D"), Script("Ec")}, " 12abc"));
    EXPECT_EQ(OnlyImportFile(),
              "[DEVICE]\r\nType=TEST\r\nSerial=5\r\nVirtual= 12abc\r\nVname=V\r\n\r\n"
              "[DEVICE_END]\r\n"
              "kind=9 virtual=12 length=3 text=ab\r\n"
              "1.500000 0.666667\r\n"
              "kind=9 virtual=12 length=2 text=c\r\n");
}

TEST_F(MeterConversionTest, ADriverScribblingOnTheBlockDoesNotMisleadTheNextCall) {
    EXPECT_TRUE(ConvertScript({Script("S"), Script("Eq")}, "4"));
    EXPECT_NE(OnlyImportFile().find("kind=9 virtual=4 length=2 text=q\r\n"), std::string::npos);
}

TEST_F(MeterConversionTest, PartlyProcessedCodesArePostedOncePerChange) {
    // 3, 3, 0: once. The result is not reset between records, so an untouched result stays 3.
    EXPECT_TRUE(ConvertScript({Result(3), Result(3), Script("Ex"), Result(0)}));
    EXPECT_EQ(Incomplete(), std::vector<std::string>{"$04CNV: Данные обработаны не полностью (3)"});
    EXPECT_EQ(ImportFiles().size(), 1u);

    report.Clear();
    EXPECT_TRUE(ConvertScript({Result(3), Result(5), Result(3)}));
    EXPECT_EQ(Incomplete(),
              (std::vector<std::string>{"$04CNV: Данные обработаны не полностью (3)",
                                        "$04CNV: Данные обработаны не полностью (5)",
                                        "$04CNV: Данные обработаны не полностью (3)"}));
}

TEST_F(MeterConversionTest, DriverErrorsAndFailedCallsEndTheRunWithoutAFile) {
    struct Case {
        std::vector<Bytes> scripts;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{Script("Ea"), Result(-4), Script("Eb")},
         "$04CNV: Ошибка обработки данных драйвером (-4)."},
        {{Script("F")}, "$04CNV: Ошибка вызова функции драйвера."},
        {{Script("G")}, "$04CNV: Ошибка вызова функции драйвера."},
        {{Script("X")}, "$04CNV: Ошибка вызова функции драйвера."},
        // A stream the driver failed loses text, whatever the driver returned.
        {{Script("Ea"), Script("K"), Script("Eb")},
         "$04CNV: Драйвер оставил поток вывода в состоянии ошибки, данные не сохранены."},
        {{Script("L")},
         "$04CNV: Драйвер оставил поток вывода в состоянии ошибки, данные не сохранены."},
    };
    for (const Case& c : cases) {
        report.Clear();
        EXPECT_FALSE(ConvertScript(c.scripts));
        EXPECT_TRUE(ImportFiles().empty()) << c.line;
        const auto upper = report.Upper();
        ASSERT_EQ(upper.size(), 3u) << c.line;
        EXPECT_EQ(upper[1], c.line);
        EXPECT_EQ(upper[2], "$02CNV:Обработка завершена");
        EXPECT_EQ(label, "TEST_5_7");
    }
}

// Reading that stops anywhere but behind a whole record at the end of the file fails the
// conversion, so the raw file is kept: the records before the damage are imported, and a red
// line names the file and the offset where reading stopped.
TEST_F(MeterConversionTest, DamageAfterGoodRecordsImportsThemAndFailsNamingTheFile) {
    struct Case {
        const char* what;
        RecordFlaw secondFlaw;
        Bytes tail;
        std::size_t stopRecord;  // index in the body where reading stops
        bool secondImported;
    };
    const std::vector<Case> cases = {
        {"wrong check word", RecordFlaw::BadCheck, {}, 1, false},
        {"no T", RecordFlaw::NotT, {}, 1, false},
        {"one stray byte", RecordFlaw::None, {0x00}, 3, true},
        {"record cut short", RecordFlaw::None, {0x20, 0x00, 'T', 1}, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& name : ImportFiles()) {
            std::filesystem::remove(import / name);
        }
        report.Clear();
        MeterArchiveBuilder builder;
        builder.HeaderText("Type=TEST\nSerial=5\nVirtual=1\nVname=V\n")
            .Record(1, Script("Eone"))
            .Record(1, Script("Etwo"), c.secondFlaw)
            .Record(1, Script("Ethree"));
        if (!c.tail.empty()) {
            builder.Raw(c.tail);
        }
        const auto offsets = builder.BodyOffsets();
        EXPECT_FALSE(Convert(builder.Build()));
        const std::string text = OnlyImportFile();
        EXPECT_NE(text.find("text=one"), std::string::npos) << text;
        EXPECT_EQ(text.find("text=two") != std::string::npos, c.secondImported) << text;
        EXPECT_TRUE(report.HasUpper("$04CNV: Файл '20240101120000.bia' повреждён (смещение " +
                                    std::to_string(offsets[c.stopRecord]) +
                                    "): записи после этого места не прочитаны, файл сохранён в "
                                    "каталоге программы."))
            << ::testing::PrintToString(report.Upper());
    }
}

TEST_F(MeterConversionTest, TakenNamesMoveToTheNextAttemptNumber) {
    WriteFileText(import / (Stamp() + "_0.imp"), "old0");
    WriteFileText(import / (Stamp() + "_1.imp"), "old1");
    EXPECT_TRUE(Convert(MeterArchive(kHeader, {})));
    EXPECT_EQ(ReadFileText(import / (Stamp() + "_0.imp")), "old0");
    EXPECT_EQ(ReadFileText(import / (Stamp() + "_1.imp")), "old1");
    EXPECT_EQ(ReadFileText(import / (Stamp() + "_2.imp")), kDeviceSection);
}

TEST_F(MeterConversionTest, AnImportFolderThatCannotTakeFilesEndsWithASaveError) {
    const std::filesystem::path notAFolder = import / "plain-file";
    WriteFileText(notAFolder, "");
    for (const std::filesystem::path& folder : {import / "missing", notAFolder}) {
        report.Clear();
        label.clear();
        EXPECT_FALSE(ConvertMeterArchive(WriteRaw("a.bia", MeterArchive(kHeader, {})), folder,
                                         context, label));
        EXPECT_EQ(report.Lower(),
                  std::vector<std::string>{"$04M1, 12/3.4, 2 - ошибка сохранения imp-файла"});
        // The system's reason follows the folder's line.
        const auto reason = report.UpperAfter("$04CNV: Не удалось создать файл в каталоге '" +
                                              folder.string() + "'.");
        EXPECT_TRUE(reason.value_or("").starts_with("$04Причина: " + PathToUtf8(folder) + ": "))
            << reason.value_or("none");
        EXPECT_EQ(report.Upper().back(), "$02CNV:Обработка завершена");
    }
    EXPECT_EQ(ImportFiles(), std::vector<std::string>{"plain-file"});
}

TEST_F(MeterConversionTest, TextBeyondTenMebibytesIsCutReportedAndTheRawFileKept) {
    // Two records of 6 MiB each: the buffer keeps the device section and the first
    // 10,485,760 bytes of text in all.
    const std::uint32_t chunk = 6u << 20;
    const Bytes bulk = {
        'B', static_cast<std::uint8_t>(chunk), static_cast<std::uint8_t>(chunk >> 8),
        static_cast<std::uint8_t>(chunk >> 16), static_cast<std::uint8_t>(chunk >> 24)};
    EXPECT_FALSE(ConvertScript({bulk, bulk}));
    EXPECT_TRUE(
        report.HasUpper("$04CNV: Превышен размер буфера вывода (10485760 байт), данные усечены."));

    const std::string section =
        "[DEVICE]\nType=TEST\nSerial=5\nVirtual=7\nVname=V\n\n[DEVICE_END]\n";
    std::string expected = section;
    const std::string line = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_\n";
    while (expected.size() < kVLOutputLimit) {
        expected += line;
    }
    // The second record continues the pattern where the first stopped (6 MiB is whole lines).
    expected.resize(kVLOutputLimit);
    EXPECT_EQ(OnlyImportFile(), WithCrLf(expected));
}

TEST(ImportFileText, EveryLineFeedBecomesCarriageReturnLineFeed) {
    EXPECT_EQ(WithCrLf(""), "");
    EXPECT_EQ(WithCrLf("a"), "a");
    EXPECT_EQ(WithCrLf("\n\nb\nc"), "\r\n\r\nb\r\nc");
    EXPECT_EQ(WithCrLf("x\r\n"), "x\r\r\n");
}

}  // namespace
}  // namespace zep::test
