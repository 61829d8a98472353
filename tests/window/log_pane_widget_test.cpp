// The Qt log pane on the offscreen platform: colours reach the pixels, wrapped rows keep their
// prefix colour, and the scroll bar drives the view line.
#include "window/qt/log_pane_widget.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <QTest>

namespace zep {
namespace {

const QColor kYellow(255, 255, 0);

// Rows (by line height, counted from the bottom) whose first pixel column is the colour.
int RowsStartingIn(const QImage& image, const QColor& colour, int lineHeight) {
    int rows = 0;
    for (int y = image.height() - lineHeight / 2; y >= 0; y -= lineHeight) {
        rows += image.pixelColor(0, y) == colour ? 1 : 0;
    }
    return rows;
}

class LogPaneWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        pane.resize(400, 200);
        pane.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    }
    int LineHeight() const { return QFontMetrics(pane.font()).height(); }
    QImage Shot() { return pane.grab().toImage(); }

    LogPaneWidget pane;
};

TEST_F(LogPaneWidgetTest, AnEmptyPaneShowsOnlyItsBackground) {
    const QImage image = Shot();
    const QColor background = pane.palette().color(QPalette::Base);
    EXPECT_EQ(image.pixelColor(5, 5), background);
    EXPECT_EQ(image.pixelColor(200, 190), background);
}

TEST_F(LogPaneWidgetTest, ABackgroundCodeFillsItsRowInThatColour) {
    pane.AddLine("plain line");
    pane.AddLine("$1,8yellow behind the text");
    const QImage image = Shot();
    EXPECT_EQ(RowsStartingIn(image, kYellow, LineHeight()), 1);
    EXPECT_EQ(image.pixelColor(0, image.height() - LineHeight() / 2), kYellow);
}

TEST_F(LogPaneWidgetTest, EveryRowOfAWrappedLineRepeatsItsColourPrefix) {
    std::string words;
    while (QFontMetrics(pane.font()).horizontalAdvance(QString::fromStdString(words)) < 2 * 300) {
        words += " word";
    }
    pane.AddLine("$1,8" + words);
    const int rows = RowsStartingIn(Shot(), kYellow, LineHeight());
    EXPECT_GE(rows, 2);
    EXPECT_LE(rows, 4);
}

TEST_F(LogPaneWidgetTest, AHundredKilobyteLineIsKeptShortAndPaintsItsRow) {
    pane.AddLine("$1,8" + std::string(100 * 1024, 'x'));
    pane.AddLine("$1,8" + std::string(100 * 1024, 'y') + " tail");
    EXPECT_LE(pane.Model().Line(1).size(), LogPaneModel::kMaxLineBytes + 3);
    EXPECT_EQ(RowsStartingIn(Shot(), kYellow, LineHeight()), 2);
}

TEST_F(LogPaneWidgetTest, TheScrollBarMovesTheViewLine) {
    for (int i = 0; i < 10; ++i) {
        pane.AddLine("line " + std::to_string(i));
    }
    QScrollBar* bar = pane.ScrollBar();
    EXPECT_EQ(bar->maximum(), 9);
    EXPECT_EQ(bar->value(), 9);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(pane.Model().ViewLine(), 8);
    EXPECT_EQ(bar->value(), 8);
    pane.AddLine("line 10");
    EXPECT_EQ(pane.Model().ViewLine(), 8);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(pane.Model().ViewLine(), 10);
    pane.AddLine("line 11");
    EXPECT_EQ(bar->value(), 11);
}

}  // namespace
}  // namespace zep
