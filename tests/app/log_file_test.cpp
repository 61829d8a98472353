// The log file: every line of both panes as shown, with its time and pane; rotated before it
// passes its size, keeping five older files; continued after a restart; never written through
// a link; and a file that cannot be written said once in red while the program goes on.
#include "app/log_file.h"

#include "platform/time_base.h"
#include "tests/app/controller_fixture.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

using LogFileTest = ControllerTest;

std::size_t Count(const std::vector<std::string>& lines, const std::string& start) {
    std::size_t count = 0;
    for (const auto& line : lines) {
        count += line.starts_with(start);
    }
    return count;
}

TEST_F(LogFileTest, EveryLineOfBothPanesReachesTheFileAsShown) {
    LogFile file(dir.path(), clock);
    logFile = &file;
    Start();
    controller->Messages().AddLogLines("$02CNV: lower", "$04upper\x01");
    controller->DeliverMessages();
    file.Flush();

    const std::string text = ReadFileText(dir / kLogFileName);
    const std::string stamp = FormatLocalTime(clock.Now(), "%Y-%m-%d %H:%M:%S");
    EXPECT_NE(text.find(stamp + " U driver line\n"), std::string::npos) << text;
    EXPECT_NE(text.find(stamp + " L CNV: lower\n" + stamp + " U upper\\x01\n"), std::string::npos)
        << text;
}

TEST_F(LogFileTest, AFileThatCannotBeWrittenIsSaidOnceInRedAndTheProgramGoesOn) {
    fs::create_directory(dir / kLogFileName);
    LogFile file(dir.path(), clock);
    logFile = &file;
    StartWithPort();
    file.Flush();
    Tick(3);
    controller->Messages().AddLogLines(std::nullopt, "later");
    controller->DeliverMessages();
    file.Flush();
    Tick(2);
    EXPECT_EQ(Count(view.Upper(), "$04Журнал не записывается в файл '"), 1u);
    EXPECT_EQ(view.Upper().back(), "later");
    EXPECT_EQ(controller->Port(), 3);
}

std::vector<std::string> Lines(int from, int to) {
    std::vector<std::string> lines;
    for (int i = from; i < to; ++i) {
        lines.push_back("line " + std::to_string(100 + i) + " of the log file....\n");  // 29
    }
    return lines;
}

TEST(RotatingLog, RotatesBeforeTheLimitKeepsFiveOlderFilesAndContinuesAfterARestart) {
    TempDir dir;
    const fs::path log = dir / kLogFileName;
    const LogLimits limits{.bytes = 100, .kept = 5};
    {
        RotatingLog first(log, limits);
        for (const auto& line : Lines(0, 10)) {
            ASSERT_TRUE(first.Append({line}));
        }
    }
    RotatingLog second(log, limits);
    ASSERT_TRUE(second.Append(Lines(10, 40)));

    std::string kept;
    for (int k = 5; k >= 1; --k) {
        const fs::path older = log.string() + "." + std::to_string(k);
        ASSERT_TRUE(fs::exists(older)) << k;
        EXPECT_LE(fs::file_size(older), limits.bytes);
        kept += ReadFileText(older);
    }
    kept += ReadFileText(log);
    EXPECT_FALSE(fs::exists(log.string() + ".6"));
    // Three lines to a file, the restart's first file filled up: the newest five files and the
    // one begun (one line), in order, none lost between files.
    std::string newest;
    for (const auto& line : Lines(24, 40)) {
        newest += line;
    }
    EXPECT_EQ(kept, newest);
}

TEST(RotatingLog, ALinkInThePlaceOfTheLogIsNotFollowed) {
    TempDir dir;
    WriteFileText(dir / "elsewhere", "kept\n");
    std::error_code error;
    fs::create_symlink(dir / "elsewhere", dir / kLogFileName, error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here";
    }
    RotatingLog log(dir / kLogFileName, {});
    EXPECT_FALSE(log.Append(Lines(0, 1)));
    EXPECT_EQ(ReadFileText(dir / "elsewhere"), "kept\n");
}

}  // namespace
}  // namespace zep::test
