// The start after a kill: raw files that were published but not yet recorded are recorded, so
// that the archive offered again is not imported twice; the temporary names' tag is the same for
// a program folder at every start.
#include "app/recovery.h"

#include <gtest/gtest.h>

#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

ArchiveKey KeyOfText(const std::string& text) {
    return ArchiveKeyOf(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(Recovery, RawFilesPublishedButNotRecordedAreRecordedAtStart) {
    TempDir dir;
    WriteFileText(dir / "20240101120000_0.bin", "assembled");
    WriteFileText(dir / "20240101120001.BIA", "meter");
    WriteFileText(dir / "20240101120002.bil", "known");
    WriteFileText(dir / "20240101120003.bia.M1_1_1", "converted and kept");
    WriteFileText(dir / "zepimport.ini", "[General]\n");
    MemoryImportHistory history;
    RecordingReport quiet;
    history.Record(std::vector{KeyOfText("known")}, quiet);
    std::vector<std::string> lines;
    RecordUnrecordedRawFiles(dir.path(), history, lines);
    EXPECT_TRUE(history.Contains(KeyOfText("assembled")));
    EXPECT_TRUE(history.Contains(KeyOfText("meter")));
    EXPECT_FALSE(history.Contains(KeyOfText("converted and kept")));
    EXPECT_EQ(history.ArchiveCount(), 3u);
    EXPECT_EQ(lines, std::vector<std::string>{
                         "Записано в журнал импорта архивов, сохранённых до прерывания работы: 2"});

    lines.clear();
    RecordUnrecordedRawFiles(dir.path(), history, lines);
    EXPECT_TRUE(lines.empty());
}

TEST(Recovery, AProgramFolderKeepsItsTagAndAnotherGetsItsOwn) {
    EXPECT_EQ(TemporaryTagOf("/srv/zep"), TemporaryTagOf("/srv/zep"));
    EXPECT_NE(TemporaryTagOf("/srv/zep"), TemporaryTagOf("/srv/zep2"));
    EXPECT_EQ(TemporaryTagOf("/srv/zep").size(), 8u);
}

}  // namespace
}  // namespace zep::test
