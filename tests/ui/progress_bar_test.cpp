// The text progress bar without pixels: split, text, and repaints only when the edge moves.
#include <gtest/gtest.h>

#include <climits>

#include "ui/progress_bar_model.h"

namespace zep {
namespace {

TEST(ProgressBarModel, SplitsAndLabelsAtThePosition) {
    ProgressBarModel bar;
    EXPECT_TRUE(bar.SetPosition(37, 200));
    EXPECT_EQ(bar.SplitX(0, 200), 74);
    EXPECT_EQ(bar.SplitX(10, 200), 84);
    EXPECT_EQ(bar.Text(), "37%");
    bar.SetShowText(false);
    EXPECT_EQ(bar.Text(), "");
}

TEST(ProgressBarModel, RepaintsOnlyWhenTheEdgeMovesByAPixel) {
    ProgressBarModel bar;
    bar.SetRange(0, 1000);
    int repaints = 0;
    for (int position = 500; position <= 509; ++position) {
        repaints += bar.SetPosition(position, 100) ? 1 : 0;
    }
    EXPECT_EQ(repaints, 1);
    EXPECT_TRUE(bar.SetPosition(510, 100));
    int previous = 0;
    EXPECT_FALSE(bar.SetPosition(511, 100, &previous));
    EXPECT_EQ(previous, 510);
    bar.Resized();
    EXPECT_TRUE(bar.SetPosition(511, 100));
}

TEST(ProgressBarModel, ACaptionReplacesThePercentageUntilEmptied) {
    ProgressBarModel bar;
    bar.SetPosition(50, 100);
    EXPECT_TRUE(bar.SetCaption("file.bia"));
    EXPECT_FALSE(bar.SetCaption("file.bia"));
    EXPECT_EQ(bar.Text(), "file.bia");
    EXPECT_TRUE(bar.SetCaption(""));
    EXPECT_EQ(bar.Text(), "50%");
}

TEST(ProgressBarModel, AnEmptyRangePaintsNothingAndNeverDivides) {
    ProgressBarModel bar;
    bar.SetRange(5, 5);
    bar.SetPosition(7, 100);
    EXPECT_FALSE(bar.Paints());
    EXPECT_EQ(bar.SplitX(0, 100), 0);
    EXPECT_EQ(bar.Text(), "0%");
}

TEST(ProgressBarModel, PositionsFarOutsideTheRangeStayInsideTheBar) {
    ProgressBarModel bar;
    bar.SetRange(0, 1);
    bar.SetPosition(INT_MAX, 100);
    EXPECT_EQ(bar.SplitX(0, 100), 100);
    EXPECT_EQ(bar.Text(), std::to_string(INT_MAX) + "%");
    bar.SetPosition(INT_MIN, 100);
    EXPECT_EQ(bar.SplitX(0, 100), 0);
    EXPECT_EQ(bar.Text(), std::to_string(INT_MIN) + "%");
}

}  // namespace
}  // namespace zep
