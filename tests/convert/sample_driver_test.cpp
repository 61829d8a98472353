#include <cstring>

#include "convert/meter_conversion.h"
#include "drivers/m1/m1_records.h"
#include "tests/convert/conversion_test_base.h"

namespace zep::test {
namespace {

// Little-endian record fields of the M1 meter.
class M1Record {
  public:
    M1Record& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
        return *this;
    }
    M1Record& U16(std::uint16_t v) {
        m_bytes.push_back(static_cast<std::uint8_t>(v));
        m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    M1Record& F32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return U32(bits);
    }
    M1Record& Text(const std::string& text) {
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        return *this;
    }
    Bytes Build() const { return m_bytes; }

  private:
    Bytes m_bytes;
};

// 2024-02-29 13:45:30 in seconds since 2000-01-01.
constexpr std::uint32_t kLeapDay = 8825u * 86400u + 13u * 3600u + 45u * 60u + 30u;

class SampleDriverTest : public ConversionTestBase {
  protected:
    // The driver's text for the records, without the device section.
    std::string Render(const std::vector<RawRecord>& records) {
        std::string label;
        const bool ok = ConvertMeterArchive(
            WriteRaw("m1.bia", MeterArchive("Type=M1\nSerial=1\nVirtual=1\n", records)),
            import.path(), context, label);
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

TEST_F(SampleDriverTest, RendersCurrentAndArchiveRecordsAsNamedFields) {
    const Bytes current = M1Record()
                              .U32(kLeapDay)
                              .F32(1234.5f)
                              .F32(10.25f)
                              .F32(9.75f)
                              .F32(70.5f)
                              .F32(-40.125f)
                              .U32(87600)
                              .U16(3)
                              .Build();
    ASSERT_EQ(current.size(), m1::kCurrentSize);
    EXPECT_EQ(Render({{m1::kCurrent, current}}),
              "[CURRENT]\r\nTime=2024-02-29 13:45:30\r\nQ=1234.500000\r\nV1=10.250000\r\n"
              "V2=9.750000\r\nT1=70.500000\r\nT2=-40.125000\r\nTnar=87600\r\nStatus=3\r\n"
              "[CURRENT_END]\r\n");

    const auto interval = [](std::uint32_t time) {
        return M1Record().U32(time).F32(0.5f).F32(1).F32(2).F32(3).F32(4).U16(60).U16(0).Build();
    };
    const std::string fields =
        "Q=0.500000\r\nM1=1.000000\r\nM2=2.000000\r\nT1=3.000000\r\nT2=4.000000\r\n"
        "Tnar=60\r\nErrors=0\r\n";
    EXPECT_EQ(Render({{m1::kHour, interval(0)},
                      {m1::kDay, interval(86399)},
                      {m1::kMonth, interval(3155759999u)}}),
              "[HOUR]\r\nTime=2000-01-01 00:00:00\r\n" + fields + "[HOUR_END]\r\n" +
                  "[DAY]\r\nTime=2000-01-01 23:59:59\r\n" + fields + "[DAY_END]\r\n" +
                  "[MONTH]\r\nTime=2099-12-31 23:59:59\r\n" + fields + "[MONTH_END]\r\n");
}

TEST_F(SampleDriverTest, EventTextsStayWindows1251Bytes) {
    // "Авария" in Windows-1251, ended by a NUL and followed by padding.
    const std::string text = "\xC0\xE2\xE0\xF0\xE8\xFF";
    const Bytes event = M1Record().U32(60).U16(17).Text(text).U16(0).Text("pad").Build();
    EXPECT_EQ(
        Render({{m1::kEvent, event}}),
        "[EVENT]\r\nTime=2000-01-01 00:01:00\r\nCode=17\r\nText=" + text + "\r\n[EVENT_END]\r\n");
}

TEST_F(SampleDriverTest, UnknownShortAndLongRecordsAreKeptAndFlagged) {
    const Bytes longHour =
        M1Record().U32(0).F32(0).F32(0).F32(0).F32(0).F32(0).U16(0).U16(0).U16(9).Build();
    const std::string rendered =
        Render({{42, {0x00, 0xAB}}, {m1::kHour, {1, 2, 3}}, {m1::kHour, longHour}});
    EXPECT_EQ(rendered.substr(0, rendered.find("[HOUR]")),
              "[RECORD]\r\nKind=42\r\nData=00AB\r\n[RECORD_END]\r\n"
              "[RECORD]\r\nKind=2\r\nData=010203\r\n[RECORD_END]\r\n");
    EXPECT_NE(rendered.find("[HOUR]\r\nTime=2000-01-01 00:00:00\r\n"), std::string::npos);
    EXPECT_EQ(report.Upper()[1], "$04CNV: Данные обработаны не полностью (2)");
    EXPECT_EQ(report.Upper()[2], "$04CNV: Данные обработаны не полностью (3)");
}

}  // namespace
}  // namespace zep::test
