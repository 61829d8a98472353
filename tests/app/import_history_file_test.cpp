// The import history of the program folder on real files: what is recorded survives a restart,
// a torn last entry and entries past their age are dropped, and every history that cannot serve
// (a folder, a link, a FIFO, read-only, damaged, from a later version, a full disk) gives a red
// line and a history that goes on working.
#include "app/import_history_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>

#include "tests/support/failing_files.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kDay = 86400;

ArchiveKey Key(int n) {
    const std::string text = "archive " + std::to_string(n);
    return ArchiveKeyOf(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

class ImportHistoryFileTest : public ::testing::Test {
protected:
    std::unique_ptr<ImportHistoryFile> Open(std::time_t now = 1800000000) {
        lines.clear();
        return ImportHistoryFile::Open(dir.path(), clocks.emplace_back(now), lines);
    }
    fs::path Path() const { return dir / kHistoryFileName; }
    fs::path SetAside() const { return dir / (std::string(kHistoryFileName) + ".bad"); }
    std::uintmax_t Size() const { return fs::file_size(Path()); }
    // The history records and finds again after a restart; one history of the folder at a
    // time, as under the program folder's lock.
    void ExpectWorking(int n) {
        {
            auto history = Open();
            EXPECT_TRUE(history->Stored());
            EXPECT_TRUE(history->Record(std::vector{Key(n)}, report));
        }
        EXPECT_TRUE(Open()->Contains(Key(n)));
    }

    TempDir dir;
    std::deque<FakeClock> clocks;  // each outlives the histories opened with it
    std::vector<std::string> lines;
    RecordingReport report;
};

TEST_F(ImportHistoryFileTest, WhatIsRecordedSurvivesARestartAndATornLastEntryIsIgnored) {
    auto history = Open();
    ASSERT_TRUE(history->Stored());
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(history->Record(std::vector{Key(1), Key(2)}, report));
    EXPECT_TRUE(history->RecordOutput(Key(9), 0, report));
    EXPECT_TRUE(history->RecordOutput(Key(9), 2, report));
    EXPECT_TRUE(history->RecordOutput(Key(8), 0, report));
    history->EndConversion(Key(8), report);
    history.reset();
    const auto whole = Size();
    { std::ofstream(Path(), std::ios::binary | std::ios::app) << "torn entry"; }
    history = Open();
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(history->Contains(Key(1)));
    EXPECT_TRUE(history->Contains(Key(2)));
    EXPECT_FALSE(history->Contains(Key(3)));
    EXPECT_EQ(history->PublishedOutputs(Key(9)), (std::vector<std::uint16_t>{0, 2}));
    EXPECT_TRUE(history->PublishedOutputs(Key(8)).empty());
    EXPECT_LT(Size(), whole);  // written anew without the torn part and the ended conversion
    EXPECT_TRUE(report.All().empty());
}

TEST_F(ImportHistoryFileTest, EntriesOlderThanTheirAgeAreDroppedAtStart) {
    const std::time_t recorded = 1800000000;
    Open(recorded)->Record(std::vector{Key(1)}, report);
    EXPECT_TRUE(Open(recorded + (kHistoryMaxAgeDays - 1) * kDay)->Contains(Key(1)));
    EXPECT_FALSE(Open(recorded + (kHistoryMaxAgeDays + 1) * kDay)->Contains(Key(1)));
}

// Whatever stands in the history's place, the start says so in red, sets it aside where it can,
// and the import goes on with a history that works.
TEST_F(ImportHistoryFileTest, AHistoryThatCannotServeIsSetAsideWithARedLine) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        const char* reason;
        bool carried;            // the entries it held are still known
        bool posixOnly = false;  // made with POSIX tools
    };
    const auto entries = [this](const fs::path&) { Open()->Record(std::vector{Key(1)}, report); };
    const Case cases[] = {
        {"folder", [](const fs::path& p) { fs::create_directory(p); }, "не является обычным",
         false},
        {"link",
         [this](const fs::path& p) {
             WriteFileText(dir / "elsewhere", "x");
             fs::create_symlink(dir / "elsewhere", p);
         },
         "не является обычным", false, true},
        {"fifo",
         [](const fs::path& p) {
             ASSERT_EQ(std::system(("mkfifo '" + p.string() + "'").c_str()), 0);
         },
         "не является обычным", false, true},
        {"read-only",
         [&](const fs::path& p) {
             entries(p);
             fs::permissions(p, fs::perms::owner_read);
         },
         "недоступен для записи", true},
        {"later version",
         [&](const fs::path& p) {
             entries(p);
             std::fstream file(p, std::ios::binary | std::ios::in | std::ios::out);
             file.seekp(8);
             file.put(static_cast<char>(kHistoryVersion + 1));
         },
         "более новой версией", false},
        {"damaged in the middle",
         [&](const fs::path& p) {
             Open()->Record(std::vector{Key(1), Key(2), Key(3)}, report);
             std::fstream file(p, std::ios::binary | std::ios::in | std::ios::out);
             file.seekp(kHistoryHeaderSize + kHistoryEntrySize + 20);
             file.put('!');
         },
         "повреждён", false},
        {"foreign", [](const fs::path& p) { WriteFileText(p, "[General]\nSaveBin=1\n"); },
         "повреждён", false},
    };
    for (const Case& c : cases) {
#if GTEST_OS_WINDOWS
        if (c.posixOnly) {
            continue;
        }
#endif
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            // Windows deletes no read-only file.
            std::error_code ignored;
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
            fs::remove_all(entry.path());
        }
        c.make(Path());
        if (std::string(c.what) == "read-only" && std::ofstream(Path(), std::ios::app)) {
            continue;  // the superuser writes read-only files all the same
        }
        auto history = Open();
        ASSERT_EQ(lines.size(), 1u) << c.what;
        EXPECT_EQ(lines[0].rfind("$04Журнал импорта '" + Path().string() + "' ", 0), 0u) << c.what;
        EXPECT_NE(lines[0].find(c.reason), std::string::npos) << c.what << ": " << lines[0];
        EXPECT_NE(lines[0].find(SetAside().string()), std::string::npos) << c.what;
        EXPECT_TRUE(fs::exists(fs::symlink_status(SetAside()))) << c.what;
        EXPECT_EQ(history->Contains(Key(1)), c.carried) << c.what;
        history.reset();
        ExpectWorking(7);
        EXPECT_TRUE(lines.empty()) << c.what;
    }
}

// A full disk while appending: one red line, the entries kept in memory for this run, and what
// was appended before survives; the torn part is ignored at the next start.
TEST_F(ImportHistoryFileTest, AFailedAppendSaysSoOnceAndKeepsTheEntriesInMemory) {
    for (const FileCall failing : {FileCall::Write, FileCall::Flush}) {
        fs::remove(Path());
        auto history = Open();
        EXPECT_TRUE(history->Record(std::vector{Key(1)}, report));
        report.Clear();
        {
            FailingFiles files;
            files.Fail(failing, 0);
            EXPECT_FALSE(history->Record(std::vector{Key(2)}, report));
            EXPECT_FALSE(history->Record(std::vector{Key(3)}, report));
        }
        EXPECT_EQ(report.Upper(),
                  std::vector<std::string>{"$04Ошибка записи в журнал импорта '" + Path().string() +
                                           "'; до перезапуска программы журнал ведётся только "
                                           "в памяти."});
        EXPECT_TRUE(history->Contains(Key(3)));
        EXPECT_FALSE(history->Stored());
        history.reset();
        history = Open();
        EXPECT_TRUE(lines.empty());
        EXPECT_TRUE(history->Contains(Key(1)));
        EXPECT_FALSE(history->Contains(Key(3)));
    }
}

}  // namespace
}  // namespace zep::test
