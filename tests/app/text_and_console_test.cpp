// Colour codes as the panes read them, and the console lines of the headless mode.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/console_view.h"
#include "app/help_request.h"
#include "app/log_text.h"

namespace zep::test {
namespace {

TEST(LogTextTest, ColourCodesAreReadLikeThePanesDo) {
    const auto red = SplitLogLine("$04CNV: Ошибка");
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(red[0].text, "CNV: Ошибка");
    EXPECT_EQ(red[0].textColour, 4);
    EXPECT_FALSE(red[0].background);

    const auto onYellow = SplitLogLine("$4,8АБВ");
    ASSERT_EQ(onYellow.size(), 1u);
    EXPECT_EQ(onYellow[0].textColour, 4);
    EXPECT_EQ(onYellow[0].background, 8);
    EXPECT_EQ(onYellow[0].text, "АБВ");

    const auto twoDigits = SplitLogLine("$12,3Т");
    ASSERT_EQ(twoDigits.size(), 1u);
    EXPECT_EQ(twoDigits[0].textColour, 12);
    EXPECT_EQ(twoDigits[0].background, 3);

    EXPECT_EQ(StripColourCodes("$xAB"), "AB");     // x reads as colour 0
    EXPECT_EQ(StripColourCodes("$x1"), "");        // the whole code is "$x1"
    EXPECT_EQ(StripColourCodes("text$"), "text");  // a lone "$" at the end
    EXPECT_EQ(StripColourCodes("a$03b$4,c"), "ab");
    EXPECT_EQ(StripColourCodes("plain"), "plain");

    // Numbers are read as atoi reads them: a blank or a sign before the digit counts.
    EXPECT_EQ(ReadColourCode("$ 5x").text, 5);
    EXPECT_EQ(ReadColourCode("$-1x").text, -1);
    EXPECT_EQ(ReadColourCode("$4,+9").background, 9);
}

TEST(LogTextTest, ColoursLastToTheEndOfTheLine) {
    const auto segments = SplitLogLine("black$03green$4,8red on yellow$02navy");
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].textColour, 1);
    EXPECT_EQ(segments[1].textColour, 3);
    EXPECT_EQ(segments[2].textColour, 4);
    EXPECT_EQ(segments[3].textColour, 2);
    EXPECT_EQ(segments[3].background, 8);  // the background stays
}

TEST(ConsoleTest, LinesLoseTheirCodesAndLowerLinesAreMarked) {
    EXPECT_EQ(FormatConsoleLine(Pane::Upper, "$03Импорт данных завершен.", false),
              "Импорт данных завершен.");
    EXPECT_EQ(FormatConsoleLine(Pane::Lower, "$02file.bia", false),
              std::string(kLowerPaneMark) + "file.bia");
    EXPECT_EQ(FormatConsoleLine(Pane::Upper, "", false), "");
}

TEST(ConsoleTest, TerminalsGetAnsiColours) {
    EXPECT_EQ(FormatConsoleLine(Pane::Upper, "$04Ошибка", true), "\x1b[0;91mОшибка\x1b[0m");
    EXPECT_EQ(FormatConsoleLine(Pane::Upper, "$4,8x", true), "\x1b[0;91;103mx\x1b[0m");
    EXPECT_EQ(FormatConsoleLine(Pane::Upper, "$99x", true), "\x1b[0mx\x1b[0m");  // off the table
}

// Header texts and device replies reach the log as they came; on a terminal an ESC or CR in
// them would move the cursor or recolour the screen, so the console shows them as escapes.
TEST(ConsoleTest, ControlCharactersFromFilesAndDevicesAreShownNotObeyed) {
    const std::string hostile = "$02CNV: Обработка M1\x1b[2J\r\x07, 1\x9b, \xc2\x9b\x7f ...";
    const std::string shown = "CNV: Обработка M1\\x1b[2J\\x0d\\x07, 1\\x9b, \\u009b\\x7f ...";
    EXPECT_EQ(FormatConsoleLine(Pane::Upper, hostile, false), shown);
    EXPECT_EQ(FormatConsoleLine(Pane::Upper, hostile, true), "\x1b[0;34m" + shown + "\x1b[0m");
    EXPECT_EQ(FormatConsoleLine(Pane::Lower, "tab\there", false), "  > tab\\x09here");
}

TEST(ConsoleTest, ViewPrintsLinesKeepsControlsAndNeverShowsThePreview) {
    std::ostringstream out;
    std::ostringstream errors;
    ConsoleView view(out, errors, false);
    view.AddLine(Pane::Upper, "$03start");
    view.AddLine(Pane::Lower, "detail");
    view.ShowError("Слишком много сигнатур!");
    EXPECT_EQ(out.str(), "start\n" + std::string(kLowerPaneMark) + "detail\n");
    EXPECT_EQ(errors.str(), "Слишком много сигнатур!\n");

    view.ShowOptions({.expandActive = 1, .preview = 1});
    view.FillPortSelector({1, 4}, 4);
    auto controls = view.ReadControls();
    ASSERT_TRUE(controls);
    EXPECT_EQ(controls->options.preview, 1);
    EXPECT_EQ(controls->port, 4);
    view.FillPortSelector({1, 2}, 4);
    EXPECT_EQ(view.ReadControls()->port, 0);

    const auto selection = view.ShowPreview("/media/card/Pexilor/Tessal", nullptr);
    ASSERT_TRUE(selection);
    EXPECT_TRUE(selection->empty());  // everything is imported
}

// Keeps what reaches the stream between two flushes: what one write of the line buffer holds.
class WriteRecorder : public std::stringbuf {
public:
    std::vector<std::string> writes;

protected:
    int sync() override {
        writes.push_back(str());
        str("");
        return 0;
    }
};

TEST(ConsoleTest, LinesFromManyThreadsReachTheStreamWholeAndUncoloured) {
    WriteRecorder outBuffer;
    WriteRecorder errorBuffer;
    std::ostream out(&outBuffer);
    std::ostream errors(&errorBuffer);
    ConsoleView view(out, errors, false);  // not a terminal: the journal, a pipe, a file
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&view, t] {
            for (int i = 0; i < kLines; ++i) {
                view.AddLine(t % 2 ? Pane::Lower : Pane::Upper,
                             "$04CNV: line " + std::to_string(i));
                view.ShowError("error " + std::to_string(i));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_EQ(outBuffer.writes.size(), std::size_t{kThreads * kLines});
    ASSERT_EQ(errorBuffer.writes.size(), std::size_t{kThreads * kLines});
    for (const auto& write : outBuffer.writes) {
        EXPECT_EQ(write.find('\n'), write.size() - 1) << write;
        EXPECT_EQ(write.find('\x1b'), std::string::npos) << write;
        EXPECT_NE(write.find("CNV: line "), std::string::npos) << write;
    }
    for (const auto& write : errorBuffer.writes) {
        EXPECT_EQ(write.find('\n'), write.size() - 1) << write;
    }
}

TEST(HelpFileTest, ExtensionOfTheFileNameIsReplaced) {
    EXPECT_EQ(HelpFileFor(R"(C:\App\main.exe)"), R"(C:\App\main.chm)");
    EXPECT_EQ(HelpFileFor("/opt/velmora/main.exe"), "/opt/velmora/main.chm");
    EXPECT_EQ(HelpFileFor("/opt/velmora.d/main"), "/opt/velmora.d/main.chm");
    EXPECT_EQ(HelpFileFor(R"(C:\App.1\main)"), R"(C:\App.1\main.chm)");
    EXPECT_EQ(HelpFileFor("/opt/velmora/.hidden"), "/opt/velmora/.hidden.chm");
    EXPECT_EQ(HelpFileFor("main.tar.gz"), "main.tar.chm");
}

}  // namespace
}  // namespace zep::test
