// The folder of session recordings: each recording published whole under its session's name,
// the folder kept within its bounds with the oldest removed first, and a recording that cannot
// be written dropped with one line.
#include "app/session_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

RecordingHeader HeaderAt(std::int64_t start) {
    RecordingHeader header;
    header.device = RecordedDevice::Tessal;
    header.startUtc = start;
    return header;
}

// One session's recording: a header piece and a body of the given size.
void RecordSession(SessionRecorder& recorder, WorkerReport& report, std::int64_t start,
                   std::size_t body) {
    auto output = recorder.Begin(HeaderAt(start), report);
    output->Take(EncodeRecordingHeader(HeaderAt(start)));
    output->Take(std::vector<std::uint8_t>(body, 0x5A));
    output->Finish();
}

TEST(SessionRecorder, KeepsTheNewestRecordingsWithinItsBounds) {
    const struct {
        SessionRecorder::Limits limits;
        std::size_t kept;
    } cases[] = {
        {{.recordings = 3, .bytes = 1 << 20}, 3},
        {{.recordings = 200, .bytes = 2500}, 2},  // a recording is 1024 bytes
        {{.recordings = 200, .bytes = 10}, 1},    // the newest always stays
    };
    for (const auto& c : cases) {
        TempDir dir;
        RecordingReport report;
        fs::create_directories(dir / kSessionsFolder);
        WriteFileText(dir / kSessionsFolder / "notes.txt", "not a recording");
        {
            SessionRecorder recorder(dir.path(), c.limits);
            for (int i = 0; i < 5; ++i) {
                RecordSession(recorder, report, 1800000000 + 60 * i, 1000);
            }
            recorder.Drain();
        }
        std::vector<std::string> expected = {"notes.txt"};
        for (std::size_t i = 5 - c.kept; i < 5; ++i) {
            expected.push_back(RecordingName(HeaderAt(1800000000 + 60 * i), 0));
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListFiles(dir / kSessionsFolder), expected) << c.kept;
        EXPECT_EQ(fs::file_size(dir / kSessionsFolder / expected.front()), 1024u);
        EXPECT_TRUE(report.Upper().empty());
    }
}

TEST(SessionRecorder, OfSessionsInOneSecondTheLaterStaysLonger) {
    TempDir dir;
    RecordingReport report;
    {
        SessionRecorder recorder(dir.path(), {.recordings = 2, .bytes = 1 << 20});
        for (int i = 0; i < 3; ++i) {
            RecordSession(recorder, report, 1800000000, 10);
        }
        recorder.Drain();
    }
    const auto name = [](int attempt) { return RecordingName(HeaderAt(1800000000), attempt); };
    std::vector<std::string> expected = {name(1), name(2)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFiles(dir / kSessionsFolder), expected);
}

TEST(SessionRecorder, ARecordingThatCannotBeWrittenIsDroppedWithOneLine) {
    TempDir dir;
    RecordingReport report;
    WriteFileText(dir / kSessionsFolder, "a file where the folder belongs");
    SessionRecorder recorder(dir.path());
    RecordSession(recorder, report, 1800000000, 100);
    RecordSession(recorder, report, 1800000060, 100);
    recorder.Drain();
    ASSERT_EQ(report.Upper().size(), 2u) << "one line for each recording";
    EXPECT_TRUE(report.Upper()[0].starts_with("$04Не удалось сохранить запись сеанса связи"));
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{kSessionsFolder});
}

TEST(SessionRecorder, NamesARecordingByItsStartAndDevice) {
    EXPECT_TRUE(IsRecordingName(RecordingName(HeaderAt(1800000000), 0)));
    EXPECT_TRUE(RecordingName(HeaderAt(1800000000), 2).ends_with("-tessal-2.zsr"));
    EXPECT_FALSE(IsRecordingName("notes.zsr"));
    EXPECT_FALSE(IsRecordingName(".zepimport-abc123.tmp"));
}

}  // namespace
}  // namespace zep::test
