// Colour codes as the panes read them, and the console lines of the headless mode.
#include <gtest/gtest.h>

#include <sstream>

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

    const auto selection = view.ShowPreview("/media/card/Pexilor/Tessal");
    ASSERT_TRUE(selection);
    EXPECT_TRUE(selection->empty());  // everything is imported
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
