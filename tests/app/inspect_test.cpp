// The inspection command: clean archives shown whole, damage located and named, and a run that
// fails for damaged, unknown, unreadable or oversized files.
#include "app/inspect.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "link/session_tape.h"
#include "tests/support/archive_builder.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/memory_recording.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"
#include "tools/cardgen/card_builders.h"

namespace zep {
namespace {

using test::AssembledArchiveBuilder;
using test::Bytes;
using test::MeterArchiveBuilder;
using ::testing::HasSubstr;
using ::testing::Not;

class Inspect : public ::testing::Test {
protected:
    // Writes the file, inspects it alone and keeps the report.
    int Run(const std::string& name, const Bytes& content) {
        test::WriteFileBytes(m_dir / name, content);
        return RunFiles({(m_dir / name).string()});
    }
    int RunFiles(const std::vector<std::string>& files) {
        std::ostringstream out;
        const int status = RunInspect(files, out);
        m_report = out.str();
        return status;
    }
    static MeterArchiveBuilder Meter() {
        return MeterArchiveBuilder().Value("Type", "M1").Value("Vname", "\xC4\xEE\xEC\r");
    }
    static AssembledArchiveBuilder Assembled() {
        return AssembledArchiveBuilder().Titles({"", "M1", "1,2", "\xC4\xEE\xEC", "123"});
    }

    test::TempDir m_dir;
    std::string m_report;
};

TEST_F(Inspect, CleanMeterArchiveShowsHeaderAndEveryRecord) {
    const auto builder = Meter().Record(1, {0x10, 0x20}).Record(0xC8, Bytes(20, 0xAB));
    EXPECT_EQ(Run("a.bia", builder.Build()), 0);
    EXPECT_THAT(m_report, HasSubstr("meter archive"));
    EXPECT_THAT(m_report, HasSubstr("    Type=M1\n"));
    EXPECT_THAT(m_report, HasSubstr("    Vname=Дом\\r\n"));  // converted, the CR made visible
    const auto offsets = builder.BodyOffsets();
    EXPECT_THAT(m_report, HasSubstr("record 1 at offset " + std::to_string(offsets[0]) +
                                    ": kind 1, length 6, check word ok, data 10 20\n"));
    EXPECT_THAT(m_report, HasSubstr("record 2 at offset " + std::to_string(offsets[1]) +
                                    ": kind 200, length 24, check word ok, data AB AB"));
    EXPECT_THAT(m_report, HasSubstr("..."));  // long data are cut
    EXPECT_THAT(m_report, HasSubstr("after 2 record(s): end of file"));
}

TEST_F(Inspect, MeterArchiveDamageIsLocatedAndFailsTheRun) {
    const auto builder =
        Meter().Record(1, {7}).Record(2, {8}, test::RecordFlaw::BadCheck).Record(3, {9});
    EXPECT_EQ(Run("b.zep", builder.Build()), 1);
    EXPECT_THAT(m_report,
                HasSubstr("stopped at offset " + std::to_string(builder.BodyOffsets()[1]) +
                          " after 1 record(s): record of length 5: check word does not "
                          "match"));
    EXPECT_THAT(m_report, Not(HasSubstr("record 2 at")));

    EXPECT_EQ(Run("c.bia", Meter().Record(1, {7}).Raw({0x55}).Build()), 1);
    EXPECT_THAT(m_report, HasSubstr("1 stray byte(s) at the end"));

    EXPECT_EQ(Run("d.bia", Meter().Raw({0x40, 0, 'T', 1}).Build()), 1);
    EXPECT_THAT(m_report, HasSubstr("record length 64 runs past the end of the file"));
}

TEST_F(Inspect, UnreadableMeterHeadersSayWhereAndWhy) {
    const auto n = Meter().FirstRecordOffset() - 8;
    struct Case {
        MeterArchiveBuilder builder;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {Meter().Flaw(test::HeaderFlaw::BadSignature), "offset 0: no signature \"tess\""},
        {Meter().HeaderLength(0), "offset 6: header block length 0 is too small"},
        {Meter().HeaderLength(500), "offset 8: header block of 500 bytes runs past the end"},
        {Meter().Flaw(test::HeaderFlaw::NonZeroTerminator),
         "offset " + std::to_string(n + 5) + ": header text not terminated by a NUL"},
        {Meter().Flaw(test::HeaderFlaw::BadCheck),
         "offset " + std::to_string(n + 6) + ": header check word does not match"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run("h.bia", c.builder.Build()), 1);
        EXPECT_THAT(m_report, HasSubstr("not readable: " + c.expected)) << m_report;
    }
    EXPECT_EQ(Run("short.bia", test::ToBytes("tess")), 1);
    EXPECT_THAT(m_report, HasSubstr("file header cut short (4 of 8 bytes)"));
}

TEST_F(Inspect, AssembledArchiveShowsTitlesAndRecords) {
    EXPECT_EQ(Run("x.BIN", Assembled().Record(7, {1, 2, 3}).Record(9, {}).Build()), 0);
    EXPECT_THAT(m_report, HasSubstr("assembled archive"));
    EXPECT_THAT(m_report, HasSubstr("string 1 (device type): M1\n"));
    EXPECT_THAT(m_report, HasSubstr("string 3 (virtual device name): Дом\n"));
    EXPECT_THAT(m_report, HasSubstr("record 1 at offset 18: kind 7, length 3, data 01 02 03\n"));
    EXPECT_THAT(m_report, HasSubstr("record 2 at offset 25: kind 9, length 0"));
    EXPECT_THAT(m_report, HasSubstr("end of file at offset 29 after 2 record(s)"));
}

TEST_F(Inspect, AssembledArchiveWalkErrorsUseTheConversionsWords) {
    EXPECT_EQ(Run("s.bin", Assembled().Record(7, {1, 2, 3}).Raw({'T'}).Build()), 1);
    EXPECT_THAT(m_report, HasSubstr("walk failed at offset 25 after 1 record(s): CNV: Нарушение "
                                    "структуры данных записи"));
    EXPECT_EQ(Run("f.bin", Assembled().Raw({'x'}).Build()), 1);
    EXPECT_THAT(m_report, HasSubstr("walk failed at offset 18 after 0 record(s): CNV: Неверный "
                                    "формат данных записи"));
}

TEST_F(Inspect, UnusableTitleAreasAreNamed) {
    EXPECT_EQ(Run("t.bin", AssembledArchiveBuilder().Titles({"", "M1"}).Build()), 1);
    EXPECT_THAT(m_report, HasSubstr("only 2 title string(s)"));
    // Loose bytes behind the strings the conversion needs are shown but do not stop it.
    EXPECT_EQ(Run("u.bin", Assembled().TitleRaw(test::ToBytes("ab")).Build()), 0);
    EXPECT_THAT(m_report, HasSubstr("2 byte(s) without a terminating NUL"));
    EXPECT_EQ(Run("v.bin", AssembledArchiveBuilder().Title("a").TitleLength(90).Build()), 1);
    EXPECT_THAT(m_report, HasSubstr("title area runs past the end of the file (2 bytes there)"));
    EXPECT_EQ(Run("w.bin", {0}), 1);
    EXPECT_THAT(m_report, HasSubstr("title area length cut short"));
}

TEST_F(Inspect, OtherFilesAndTheExitStatusOfAMixedRun) {
    EXPECT_EQ(Run("notes.txt", test::ToBytes("hello")), 1);
    EXPECT_THAT(m_report, HasSubstr("not a meter archive, assembled archive, card database or "
                                    "session recording"));
    // The signature makes a meter archive whatever the name.
    EXPECT_EQ(Run("renamed.dat", Meter().Build()), 0);
    EXPECT_THAT(m_report, HasSubstr("meter archive"));

    test::WriteFileBytes(m_dir / "good.bia", Meter().Record(1, {}).Build());
    test::WriteFileBytes(m_dir / "good.bin", Assembled().Build());
    const std::string good = (m_dir / "good.bia").string();
    const std::string alsoGood = (m_dir / "good.bin").string();
    EXPECT_EQ(RunFiles({good, alsoGood}), 0);
    EXPECT_EQ(RunFiles({good, (m_dir / "absent.bia").string(), alsoGood}), 1);
    // Every file is reported even after a failure.
    EXPECT_THAT(m_report, HasSubstr("cannot be read"));
    EXPECT_THAT(m_report, HasSubstr(alsoGood + "\n  assembled archive"));
    EXPECT_EQ(RunFiles({m_dir.path().string()}), 1);
    EXPECT_EQ(RunFiles({}), 1);
}

// A short ZEP session: the speed raised, one file saved, a line said, the end.
Bytes RecordedSession() {
    test::FakeSerialPort port;
    port.AddInput("OK\r\n");
    test::FakeClock clock(1800000000);
    test::RecordingReport report;
    test::MemoryRecording output;
    RecordingHeader header;
    header.port = 3;
    header.hoursWest = -3;
    header.startUtc = 1800000000;
    SessionTape tape(header, port, clock, report, output);
    tape.Port().PortSetSpeed(3, 57600);
    tape.Port().PortWriteByte(3, '6');
    for (int i = 0; i < 4; ++i) {
        tape.Port().PortReadByte(3);
    }
    tape.Files().Published("20270115110000.bia", Bytes{1, 2, 3});
    tape.Report().LogUpper("$03Импорт данных завершен.");
    tape.End();
    return output.bytes;
}

TEST_F(Inspect, SessionRecordingShowsDeviceFilesLinesAndWhereItEnds) {
    const Bytes session = RecordedSession();
    EXPECT_EQ(Run("s.zsr", session), 0);
    EXPECT_THAT(m_report, HasSubstr("session recording, " + std::to_string(session.size())));
    EXPECT_THAT(m_report, HasSubstr("ZEP adapter on COM3"));
    EXPECT_THAT(m_report, HasSubstr("started 11:00:00 15.01.2027 (program time, UTC+3)"));
    EXPECT_THAT(m_report, HasSubstr("the device sent 4 bytes, the program 1"));
    EXPECT_THAT(m_report, HasSubstr("line speeds set: 57600;"));
    EXPECT_THAT(m_report, HasSubstr("raw file 20270115110000.bia, 3 bytes, check word 0x"));
    EXPECT_THAT(m_report, HasSubstr("log: $03Импорт данных завершен."));
    EXPECT_THAT(m_report, HasSubstr("ends at offset " + std::to_string(session.size())));

    const Bytes cut(session.begin(), session.end() - 3);
    EXPECT_EQ(Run("cut.zsr", cut), 1);
    EXPECT_THAT(m_report, HasSubstr("damaged at offset " + std::to_string(cut.size()) +
                                    " after 5 record(s): cut short: no end record"));
}

}  // namespace
}  // namespace zep

namespace zep {
namespace {

TEST(InspectCardDatabase, IsRecognisedBySignatureAndDescribedWithItsEntries) {
    test::TempDir dir;
    cardgen::CardRecordSpec first;
    first.serial = "777001";
    const auto database =
        cardgen::CardDatabaseBuilder().AddArchive(first, {cardgen::PatternBytes(40, 1)}).Build();
    test::WriteFileBytes(dir / "DATA", database);
    std::ostringstream report;
    EXPECT_EQ(RunInspect({(dir / "DATA").string()}, report), 0);
    EXPECT_THAT(report.str(), testing::HasSubstr("card database"));
    EXPECT_THAT(report.str(), testing::HasSubstr("777001"));

    // Without the signature the same bytes are no card database.
    auto unsigned_ = database;
    unsigned_[64] = 'X';
    test::WriteFileBytes(dir / "OTHER", unsigned_);
    std::ostringstream other;
    RunInspect({(dir / "OTHER").string()}, other);
    EXPECT_THAT(other.str(), testing::Not(testing::HasSubstr("card database, ")));
}

// A database that does not load (a damaged index, a later version) is described, but the run
// fails: the card would not be imported.
TEST(InspectCardDatabase, ADatabaseThatDoesNotLoadFailsTheRun) {
    test::TempDir dir;
    auto damaged = cardgen::CardDatabaseBuilder().Add({}).Build();
    damaged[76] = damaged[77] = 0;
    test::WriteFileBytes(dir / "DAMAGED", damaged);
    test::WriteFileBytes(dir / "LATER", cardgen::CardDatabaseBuilder()
                                            .Version(1)
                                            .AddArchive({}, {cardgen::PatternBytes(4, 1)})
                                            .Build());
    for (const char* name : {"DAMAGED", "LATER"}) {
        std::ostringstream report;
        EXPECT_EQ(RunInspect({(dir / name).string()}, report), 1) << name;
        EXPECT_THAT(report.str(), testing::HasSubstr("card database")) << name;
    }
}

// A huge file that is no card database is not read whole (bench: the peak memory stays that of
// one archive).
TEST(InspectHugeFile, IsNotInspectedAndFailsTheRun) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "zeros", {});
    std::filesystem::resize_file(dir / "zeros", 300u << 20);  // sparse: no disk space taken
    std::ostringstream report;
    EXPECT_EQ(RunInspect({(dir / "zeros").string()}, report), 1);
    EXPECT_THAT(report.str(), testing::HasSubstr("larger than any archive"));
}

// A file whose reading fails (as a failing card's does) is a message and a failed run.
TEST(InspectReadError, IsReportedAndFailsTheRun) {
    if (!std::filesystem::exists("/proc/self/mem")) {
        GTEST_SKIP() << "no /proc/self/mem to fail a read";
    }
    std::ostringstream report;
    EXPECT_EQ(RunInspect({"/proc/self/mem"}, report), 1);
    EXPECT_THAT(report.str(), testing::HasSubstr("cannot be read"));
}

}  // namespace
}  // namespace zep
