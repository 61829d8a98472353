// The sample M1 and Kolvar drivers, loaded as real libraries: the import text they render from
// the meters' records, and what they do with records they cannot render.
#include <cstring>

#include "convert/assembled_conversion.h"
#include "convert/meter_conversion.h"
#include "tests/convert/conversion_test_base.h"

namespace zep::test {
namespace {

const std::string kKolvarType = "\xC6\xD3\xC2.\xD0-1";

// Little-endian record fields as the meters store them.
class Fields {
public:
    Fields& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
        return *this;
    }
    Fields& F32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return U32(bits);
    }
    Fields& Reading(std::uint32_t time) {
        return U32(time).F32(0.5f).F32(12.25f).F32(12.0f).F32(85.5f).F32(-4.125f).F32(1);
    }
    Bytes Build() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// 2024-02-29 13:45:30 UTC.
constexpr std::uint32_t kLeapDay = 1709214330u;

const std::string kReadingFields =
    "Q=0.500000\r\nM1=12.250000\r\nM2=12.000000\r\nT1=85.500000\r\nT2=-4.125000\r\nTnar=1."
    "000000\r\n";

class SampleDriverTest : public ConversionTestBase {
protected:
    // The driver's text for the records, without the device section.
    std::string Render(const std::string& type, const std::vector<RawRecord>& records) {
        std::string label;
        const bool ok = ConvertAssembledArchive(
            WriteRaw("a.bin", AssembledArchive(Titles(type, "1", "V", "S"), records)),
            import.path(), import.path(), context, label);
        EXPECT_TRUE(ok);
        const auto files = ImportFiles();
        if (files.empty()) {
            return "<no file>";
        }
        std::string text = ReadFileText(import / files.back());
        std::filesystem::remove(import / files.back());
        const std::string end = "[DEVICE_END]\r\n";
        return text.substr(text.find(end) + end.size());
    }
};

TEST_F(SampleDriverTest, M1RendersTotalsHoursAndDaysAsNamedFields) {
    const Bytes totals = Fields().Reading(kLeapDay).F32(15234.5f).F32(3.25f).Build();
    ASSERT_EQ(totals.size(), 36u);
    EXPECT_EQ(Render("M1", {{0, totals},
                            {1, Fields().Reading(0).Build()},
                            {2, Fields().Reading(4102444799u).Build()}}),
              "[TOTALS]\r\nTime=2024-02-29 13:45:30\r\n" + kReadingFields +
                  "QTotal=15234.500000\r\nTnarTotal=3.250000\r\n[TOTALS_END]\r\n"
                  "[HOUR]\r\nTime=1970-01-01 00:00:00\r\n" +
                  kReadingFields +
                  "[HOUR_END]\r\n"
                  "[DAY]\r\nTime=2099-12-31 23:59:59\r\n" +
                  kReadingFields + "[DAY_END]\r\n");
    EXPECT_TRUE(Incomplete().empty());
}

TEST_F(SampleDriverTest, M1KeepsUnknownAndShortRecordsAndFlagsWhatItCouldNotRender) {
    Bytes longHour = Fields().Reading(0).Build();
    longHour.push_back(9);
    const std::string rendered = Render("M1", {{42, {0x00, 0xAB}}, {1, {1, 2, 3}}, {1, longHour}});
    EXPECT_EQ(rendered.substr(0, rendered.find("[HOUR]")),
              "[RECORD]\r\nKind=42\r\nData=00AB\r\n[RECORD_END]\r\n"
              "[RECORD]\r\nKind=1\r\nData=010203\r\n[RECORD_END]\r\n");
    EXPECT_NE(rendered.find("[HOUR]\r\nTime=1970-01-01 00:00:00\r\n" + kReadingFields),
              std::string::npos);
    EXPECT_EQ(Incomplete(),
              (std::vector<std::string>{"$04CNV: Данные обработаны не полностью (2)",
                                        "$04CNV: Данные обработаны не полностью (3)"}));
}

TEST_F(SampleDriverTest, KolvarRendersValuesSettingsAndEveryHourlyReading) {
    Fields values;
    for (int i = 0; i < 24; ++i) {
        values.F32(static_cast<float>(i) + 0.5f);
    }
    Fields settings;
    for (std::uint32_t i = 0; i < 8; ++i) {
        settings.U32(1000 * i);
    }
    Bytes hours = Fields().Reading(3600).Reading(7200).Build();
    const std::string rendered =
        Render(kKolvarType, {{0, values.Build()}, {1, settings.Build()}, {2, hours}});
    EXPECT_NE(rendered.find("[VALUES]\r\nP1=0.500000\r\nP2=1.500000\r\n"), std::string::npos);
    EXPECT_NE(rendered.find("P24=23.500000\r\n[VALUES_END]\r\n[SETTINGS]\r\nW1=0\r\nW2=1000\r\n"),
              std::string::npos);
    EXPECT_NE(rendered.find("W8=7000\r\n[SETTINGS_END]\r\n"), std::string::npos);
    EXPECT_NE(rendered.find("[HOUR]\r\nTime=1970-01-01 01:00:00\r\n" + kReadingFields +
                            "[HOUR_END]\r\n[HOUR]\r\nTime=1970-01-01 02:00:00\r\n"),
              std::string::npos);
    EXPECT_TRUE(Incomplete().empty());

    // A reading cut short is not rendered; the record is flagged as partly processed.
    hours.pop_back();
    EXPECT_EQ(Render(kKolvarType, {{2, hours}}),
              "[HOUR]\r\nTime=1970-01-01 01:00:00\r\n" + kReadingFields + "[HOUR_END]\r\n");
    EXPECT_EQ(Incomplete(), std::vector<std::string>{"$04CNV: Данные обработаны не полностью (3)"});
}

}  // namespace
}  // namespace zep::test
