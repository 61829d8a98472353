// The log pane without pixels: colour codes, wrapping, prefixes, the line limit and scrolling.
#include <gtest/gtest.h>

#include <string>

#include "core/utf8_text.h"
#include "ui/log_pane_layout.h"

namespace zep {
namespace {

constexpr int kCharWidth = 10;
constexpr int kLineHeight = 13;

// Every character ten pixels wide, so a row holds a known number of characters.
int Measure(std::string_view text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); i += Utf8CharLength(text, i)) {
        ++count;
    }
    return count * kCharWidth;
}

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kNavy{0, 0, 128}, kGreen{0, 128, 0},
    kRed{255, 0, 0}, kMaroon{128, 0, 0}, kYellow{255, 255, 0}, kBlue{0, 0, 255};

std::string Text(const std::vector<TextRun>& runs) {
    std::string text;
    for (const auto& run : runs) {
        text += run.text;
    }
    return text;
}

struct CodeCase {
    std::string code;
    std::size_t length;
    std::optional<int> text;
    std::optional<int> background;
};

TEST(LogColourCode, ReadsOneAndTwoNumberCodesAsTheirLengthsSay) {
    const CodeCase cases[] = {
        {"$04CNV", 3, 4, {}}, {"$4,8АБВ", 4, 4, 8}, {"$12,3Т", 5, 12, 3}, {"$12,34x", 6, 12, 34},
        {"$", 1, {}, {}},     {"$xAB", 2, 0, {}},   {"$x1", 3, 0, {}},    {"$99a", 3, 99, {}},
        {"$4,", 3, 4, 0},     {"$-1x", 3, -1, {}},  {"$Жx", 3, 0, {}},    {"$,5", 3, 0, {}},
    };
    for (const auto& c : cases) {
        const ColourCode code = ReadColourCode(c.code);
        EXPECT_EQ(code.length, c.length) << c.code;
        EXPECT_EQ(code.text, c.text) << c.code;
        EXPECT_EQ(code.background, c.background) << c.code;
    }
}

TEST(LogColourCode, NumbersOutsideTheTableSelectNothing) {
    EXPECT_EQ(LogColour(16), kBlack);
    EXPECT_EQ(LogColour(4), kRed);
    EXPECT_FALSE(LogColour(17));
    EXPECT_FALSE(LogColour(99));
    EXPECT_FALSE(LogColour(-1));
}

struct LineCase {
    std::string line;
    std::string shown;
    Rgb colour;
    std::optional<Rgb> background;
};

TEST(LogLineRuns, DrawsEachLineInTheColoursOfItsCodes) {
    const LineCase cases[] = {
        {"$04CNV: Ошибка", "CNV: Ошибка", kRed, {}},
        {"$02CNV:Обработка", "CNV:Обработка", kNavy, {}},
        {"$4,8АБВ", "АБВ", kRed, kYellow},
        {"$12,3Т", "Т", kBlue, kGreen},
        {"$xAB", "AB", kWhite, {}},
        {"plain$", "plain", kBlack, {}},
        {"$99abc", "abc", kBlack, {}},
        {"$5,99abc", "abc", kMaroon, {}},
        {"$-1abc", "abc", kBlack, {}},
    };
    for (const auto& c : cases) {
        const auto rows = LineRuns(c.line, 1000, Measure);
        ASSERT_EQ(rows.size(), 1u) << c.line;
        ASSERT_EQ(rows[0].size(), 1u) << c.line;
        EXPECT_EQ(rows[0][0].text, c.shown) << c.line;
        EXPECT_EQ(rows[0][0].colour, c.colour) << c.line;
        EXPECT_EQ(rows[0][0].background, c.background) << c.line;
    }
    EXPECT_TRUE(LineRuns("$x1", 1000, Measure)[0].empty());
    EXPECT_EQ(Text(LineRuns("a$", 1000, Measure)[0]), "a");
}

TEST(LogLineRuns, RepeatsTheColourPrefixOnEveryRowOfAWrappedLine) {
    const auto rows = LineRuns("$04aaaa bbbb cccc", 55, Measure);
    ASSERT_EQ(rows.size(), 3u);
    const char* words[] = {"aaaa", "bbbb", "cccc"};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(Text(rows[r]), words[r]);
        EXPECT_EQ(rows[r][0].colour, kRed);
    }
}

TEST(LogLineRuns, KeepsColoursSetInsideALineOnItsLaterRows) {
    const auto rows = LineRuns("aaaa $03bbbb cccc", 55, Measure);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].colour, kBlack);
    EXPECT_EQ(rows[2][0].colour, kGreen);
}

std::vector<std::string> Rows(std::string_view line, int width) {
    std::vector<std::string> rows;
    for (const RowSpan& span : WrapLine(line, 0, width, Measure)) {
        rows.emplace_back(line.substr(span.begin, span.end - span.begin));
    }
    return rows;
}

TEST(LogWrap, BreaksAtTheLastSpaceBeforeTheEdge) {
    using Expected = std::vector<std::string>;
    EXPECT_EQ(Rows("aaa bbb ccc", 85), (Expected{"aaa bbb", "ccc"}));
    EXPECT_EQ(Rows("", 75), (Expected{""}));
    EXPECT_EQ(Rows("$04aaa $02bbb ccc", 85), (Expected{"$04aaa $02bbb", "ccc"}));
    // A word with no space before it runs past the edge.
    EXPECT_EQ(Rows("abcdefghij", 35), (Expected{"abcdefghij"}));
    EXPECT_EQ(Rows("ab cdefghij", 35), (Expected{"ab", "cdefghij"}));
    // Only the first character is a space: the row breaks at the overflow, losing nothing.
    EXPECT_EQ(Rows(" abcdef", 35), (Expected{" ab", "cdef"}));
}

TEST(LogWrap, EndsAndKeepsEveryCharacterWhenThePaneIsNarrowerThanACharacter) {
    for (const int width : {-5, 0, 1, 10}) {
        std::string joined;
        for (const auto& row : Rows("ab cd", width)) {
            joined += row + "|";
        }
        EXPECT_EQ(joined, "ab|cd|") << width;
    }
}

TEST(LogWrap, WrapsAHundredKilobyteLine) {
    std::string line;
    while (line.size() < 100 * 1024) {
        line += "word$03 ";
    }
    const auto spans = WrapLine(line, 0, 600, Measure);
    EXPECT_GT(spans.size(), 1000u);
    EXPECT_EQ(spans.back().end, line.size());
}

TEST(LogPaneModel, KeepsTheNewest500LinesAndFollowsThem) {
    LogPaneModel model;
    EXPECT_EQ(model.ViewLine(), -1);
    for (int i = 1; i <= 501; ++i) {
        model.AddLine("line " + std::to_string(i));
    }
    EXPECT_EQ(model.LineCount(), 500);
    EXPECT_EQ(model.Line(0), "line 2");
    EXPECT_EQ(model.Line(model.ViewLine()), "line 501");
    EXPECT_EQ(model.ScrollMaximum(), 499);
}

TEST(LogPaneModel, StaysOnTheLineTheUserScrolledTo) {
    LogPaneModel model;
    for (int i = 1; i <= 500; ++i) {
        model.AddLine("line " + std::to_string(i));
    }
    model.Scroll(ScrollRequest::Thumb, 100);
    model.AddLine("line 501");  // drops line 1
    EXPECT_EQ(model.Line(model.ViewLine()), "line 101");
    model.AddLine("line 502");
    EXPECT_EQ(model.Line(model.ViewLine()), "line 101");
}

TEST(LogPaneModel, MovesTheViewLineAsEachScrollRequestSays) {
    struct Case {
        int start;
        ScrollRequest request;
        int position;
        int view;
    };
    const Case cases[] = {
        {5, ScrollRequest::LineUp, 0, 4},   {0, ScrollRequest::LineUp, 0, 0},
        {5, ScrollRequest::PageUp, 0, 4},   {5, ScrollRequest::LineDown, 0, 6},
        {9, ScrollRequest::LineDown, 0, 9}, {5, ScrollRequest::PageDown, 0, 6},
        {5, ScrollRequest::Thumb, 2, 2},    {5, ScrollRequest::Thumb, 50, 9},
        {5, ScrollRequest::Top, 0, 0},      {2, ScrollRequest::Bottom, 0, 9},
    };
    for (const auto& c : cases) {
        LogPaneModel model;
        for (int i = 0; i < 10; ++i) {
            model.AddLine("x");
        }
        model.ShowViewLine(c.start);
        model.Scroll(c.request, c.position);
        EXPECT_EQ(model.ViewLine(), c.view) << c.start << " " << static_cast<int>(c.request);
    }
}

TEST(LogPaneModel, CutsHugeLinesAtACharacterBoundary) {
    std::string line;
    while (line.size() < 100 * 1024) {
        line += "Ж";
    }
    line.insert(0, "$04");
    LogPaneModel model;
    model.AddLine(line);
    const std::string& kept = model.Line(0);
    EXPECT_LE(kept.size(), LogPaneModel::kMaxLineBytes + 3);
    EXPECT_EQ(kept.substr(kept.size() - 3), "...");
    EXPECT_EQ(kept.substr(kept.size() - 5, 2), "Ж");
}

TEST(LogPaneLayout, PaintsOnlyTheBackgroundWhenEmpty) {
    const LogPaneModel model;
    const PaneLayout layout = LayOutPane(model, {200, 100, kLineHeight}, Measure);
    EXPECT_TRUE(layout.rows.empty());
    EXPECT_EQ(layout.clearBottom, 100);
}

TEST(LogPaneLayout, StacksLinesFromTheBottomAndStopsAboveTheTop) {
    LogPaneModel model;
    for (int i = 0; i < 20; ++i) {
        model.AddLine("line " + std::to_string(i));
    }
    const PaneLayout layout = LayOutPane(model, {200, 100, kLineHeight}, Measure);
    ASSERT_EQ(layout.rows.size(), 8u);  // 7 whole rows and one cut at the top
    EXPECT_EQ(layout.rows.front().top, 100 - kLineHeight);
    EXPECT_EQ(Text(layout.rows.front().runs), "line 19");
    EXPECT_LT(layout.rows.back().top, 0);
    EXPECT_EQ(layout.clearBottom, 0);
}

TEST(LogPaneLayout, ShowsTheFirstLineAtTheBottomAfterAScrollToTheTop) {
    LogPaneModel model;
    model.AddLine("first");
    model.AddLine("$04aaaa bbbb cccc");
    model.Scroll(ScrollRequest::Top);
    PaneLayout layout = LayOutPane(model, {55, 100, kLineHeight}, Measure);
    ASSERT_EQ(layout.rows.size(), 1u);
    EXPECT_EQ(Text(layout.rows[0].runs), "first");
    EXPECT_EQ(layout.clearBottom, 100 - kLineHeight);

    model.Scroll(ScrollRequest::Bottom);
    layout = LayOutPane(model, {55, 100, kLineHeight}, Measure);
    ASSERT_EQ(layout.rows.size(), 4u);
    EXPECT_EQ(Text(layout.rows[0].runs), "aaaa");
    EXPECT_EQ(layout.rows[0].top, 100 - 3 * kLineHeight);
    EXPECT_EQ(layout.clearBottom, 100 - 4 * kLineHeight);
}

}  // namespace
}  // namespace zep
