// Assembled archive conversion: an import file per virtual device, walk and driver failures that
// leave no file, and printer archives becoming one ".zvo" file or none.
#include "convert/assembled_conversion.h"

#include "tests/convert/conversion_test_base.h"

namespace zep::test {
namespace {

class AssembledConversionTest : public ConversionTestBase {
protected:
    bool Convert(const Bytes& archive) {
        label = "unchanged";
        return ConvertAssembledArchive(WriteRaw("20240101120000.bin", archive), import.path(),
                                       printer.path(), context, label);
    }
    std::vector<std::string> Sorted(std::vector<std::string> lines) {
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    TempDir printer;
    std::string label;
};

TEST_F(AssembledConversionTest, EachVirtualDeviceGetsItsOwnImportFileWithAllRecords) {
    const Bytes archive = AssembledArchive(Titles("TEST", "1,2", "Vn", "S.1/2"),
                                           {{4, ToBytes("Ea")}, {5, {}}, {6, ToBytes("Ebc")}});
    EXPECT_TRUE(Convert(archive));
    EXPECT_EQ(label, "TEST_S 1-2_1,2");
    const std::string section = "[DEVICE]\r\nType=TEST\r\nSerial=S.1/2\r\nVirtual=";
    const std::string tail = "\r\nVname=Vn\r\n[DEVICE_END]\r\n";
    EXPECT_EQ(ImportFiles(), (std::vector<std::string>{Stamp() + "_0.imp", Stamp() + "_1.imp"}));
    EXPECT_EQ(ReadFileText(import / (Stamp() + "_0.imp")),
              section + "1" + tail + "kind=4 virtual=1 length=2 text=a\r\n" +
                  "kind=6 virtual=1 length=3 text=bc\r\n");
    EXPECT_EQ(ReadFileText(import / (Stamp() + "_1.imp")),
              section + "2" + tail + "kind=4 virtual=2 length=2 text=a\r\n" +
                  "kind=6 virtual=2 length=3 text=bc\r\n");
    EXPECT_EQ(report.Upper(),
              (std::vector<std::string>{
                  "$02CNV: Обработка TEST, S.1/2, Vn ...", "$02CNV:Обработка завершена",
                  "$02CNV: Обработка TEST, S.1/2, Vn ...", "$02CNV:Обработка завершена"}));
    // Progress of each run: behind each record, as a share of the file.
    std::vector<int> positions;
    for (const auto& bar : report.Bars()) {
        positions.push_back(bar.position);
    }
    const int size = static_cast<int>(archive.size());
    const int first = (size - 11) * 100 / size;
    const int second = (size - 7) * 100 / size;
    EXPECT_EQ(positions, (std::vector<int>{first, second, 100, first, second, 100}));
}

TEST_F(AssembledConversionTest, AnEmptyVirtualDeviceListConvertsNothing) {
    EXPECT_TRUE(Convert(AssembledArchive(Titles("TEST", "", "Vn", "1"), {{1, ToBytes("Ea")}})));
    EXPECT_TRUE(ImportFiles().empty());
    EXPECT_TRUE(report.All().empty());
}

TEST_F(AssembledConversionTest, WalkErrorsFailEveryVirtualDeviceWithoutAFile) {
    struct Case {
        Bytes trailing;
        std::string line;
    };
    for (const Case& c : {Case{{'T'}, "$04CNV: Нарушение структуры данных записи"},
                          Case{{'x'}, "$04CNV: Неверный формат данных записи"}}) {
        report.Clear();
        Bytes archive = AssembledArchive(Titles("TEST", "3,4", "Vn", "77"), {{7, {'E', 1, 2}}});
        archive.insert(archive.end(), c.trailing.begin(), c.trailing.end());
        EXPECT_FALSE(Convert(archive));
        EXPECT_TRUE(ImportFiles().empty());
        EXPECT_EQ(report.Upper(),
                  (std::vector<std::string>{"$02CNV: Обработка TEST, 77, Vn ...", c.line,
                                            "$02CNV: Обработка TEST, 77, Vn ...", c.line}));
        EXPECT_EQ(report.Lower(),
                  std::vector<std::string>(2, "$04TEST, 77, Vn - ошибка обработки bin-файла"));
        EXPECT_EQ(label, "TEST_77_3,4");
    }
}

TEST_F(AssembledConversionTest, ANegativeDriverResultFailsTheRunWithTheBinSummary) {
    EXPECT_FALSE(Convert(AssembledArchive(Titles("TEST", "1", "Vn", "9"), {{1, {'R', 0xFE}}})));
    EXPECT_TRUE(report.HasUpper("$04CNV: Ошибка обработки данных драйвером (-2)."));
    EXPECT_EQ(report.Lower(),
              std::vector<std::string>{"$04TEST, 9, Vn - ошибка обработки bin-файла"});
    EXPECT_TRUE(ImportFiles().empty());
}

TEST_F(AssembledConversionTest, TypeMatchingIsCaseSensitiveSoZuvoIsAMeterType) {
    EXPECT_FALSE(Convert(AssembledArchive(Titles("Zuvo", "1", "Vn", "9"), {{1, {1, 2}}})));
    EXPECT_TRUE(report.HasUpper("$04CNV: Не найден драйвер прибора 'Zuvo'."));
    EXPECT_TRUE(ListFiles(printer.path()).empty());
}

TEST_F(AssembledConversionTest, KolvarTypeIsRenderedByItsDriver) {
    const std::string kolvar = "\xC6\xD3\xC2.\xD0-1";
    // A kind the driver does not know is kept as hex.
    EXPECT_TRUE(
        Convert(AssembledArchive(Titles(kolvar, "5", "\xCA\xE2", "10"), {{9, {'o', 'k'}}})));
    EXPECT_EQ(ReadFileText(import / (Stamp() + "_0.imp")),
              "[DEVICE]\r\nType=" + kolvar + "\r\nSerial=10\r\nVirtual=5\r\nVname=\xCA\xE2\r\n" +
                  "[DEVICE_END]\r\n[RECORD]\r\nKind=9\r\nData=6F6B\r\n[RECORD_END]\r\n");
    EXPECT_EQ(report.Upper().front(), "$02CNV: Обработка ЖУВ.Р-1, 10, Кв ...");
}

TEST_F(AssembledConversionTest, TitleAreasTooShortToNameTheDeviceAreReported) {
    const Bytes fourStrings = AssembledArchive({"0", "TEST", "1", "Vn"}, {});
    Bytes beyondTheFile = AssembledArchive(Titles("TEST", "1", "Vn", "9"), {});
    beyondTheFile.pop_back();
    for (const Bytes& archive : {fourStrings, beyondTheFile, Bytes{0}, Bytes{}}) {
        report.Clear();
        EXPECT_FALSE(Convert(archive));
        EXPECT_EQ(label, "unchanged");
        EXPECT_EQ(report.Upper(),
                  std::vector<std::string>{"$04CNV: Нарушение структуры данных записи"});
        EXPECT_EQ(report.Lower().size(), 1u);
    }
    EXPECT_TRUE(ImportFiles().empty());
}

TEST_F(AssembledConversionTest, AFileThatCannotBeReadFailsSilently) {
    label = "unchanged";
    EXPECT_FALSE(
        ConvertAssembledArchive(raw / "absent.bin", import.path(), printer.path(), context, label));
    EXPECT_TRUE(report.All().empty());
    EXPECT_EQ(label, "unchanged");
}

TEST_F(AssembledConversionTest, PrinterArchiveDataBecomeOneZvoFile) {
    EXPECT_TRUE(Convert(AssembledArchive(Titles("ZUVO", "3", "Pr", "S/1"),
                                         {{9, {1, 2, 3}}, {8, {}}, {7, {4, 5}}})));
    EXPECT_EQ(label, "ZUVO_S-1_3");
    EXPECT_EQ(ListFiles(printer.path()), std::vector<std::string>{Stamp() + "_0.zvo"});
    EXPECT_EQ(ReadFileBytes(printer / (Stamp() + "_0.zvo")), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_TRUE(ImportFiles().empty());
    EXPECT_EQ(report.Upper(), (std::vector<std::string>{"$02CNV: Обработка ZUVO, S/1, Pr ...",
                                                        "$02CNV:Обработка завершена"}));
    EXPECT_TRUE(report.Bars().empty());

    report.Clear();
    EXPECT_TRUE(Convert(AssembledArchive(Titles("ZUVO", "", "Pr", "S"), {})));
    EXPECT_EQ(ReadFileBytes(printer / (Stamp() + "_1.zvo")), Bytes{});
}

TEST_F(AssembledConversionTest, ABrokenPrinterArchiveLeavesNoZvoFile) {
    Bytes archive = AssembledArchive(Titles("ZUVO", "", "Pr", "S"), {{1, {1, 2}}});
    archive.push_back('Q');
    EXPECT_FALSE(Convert(archive));
    EXPECT_TRUE(std::filesystem::is_empty(printer.path()));
    EXPECT_EQ(
        report.All(),
        (std::vector<std::string>{
            "$02CNV: Обработка ZUVO, S, Pr ...", "$04CNV: Неверный формат данных записи",
            "lower: $04ZUVO, S, Pr - ошибка сохранения zvo-файла", "$02CNV:Обработка завершена"}));
}

TEST_F(AssembledConversionTest, AMissingPrinterFolderEndsWithASaveError) {
    label.clear();
    EXPECT_FALSE(ConvertAssembledArchive(
        WriteRaw("p.bin", AssembledArchive(Titles("ZUVO", "", "Pr", "S"), {{1, {1}}})),
        import.path(), printer / "missing", context, label));
    EXPECT_TRUE(report.HasUpper("$04CNV: Не удалось создать файл в каталоге '" +
                                (printer / "missing").string() + "'."));
    EXPECT_EQ(report.Lower(),
              std::vector<std::string>{"$04ZUVO, S, Pr - ошибка сохранения zvo-файла"});
}

}  // namespace
}  // namespace zep::test
