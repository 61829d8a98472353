// The Qt progress bar on the offscreen platform: the split in pixels and repaints only when the
// filled part's edge moves.
#include "window/qt/progress_bar_widget.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QImage>
#include <QTest>

namespace zep {
namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

class ProgressBarWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.resize(200, 20);
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
        bar.installEventFilter(&counter);
    }
    ProgressBarWidget bar;
    PaintCounter counter;
};

TEST_F(ProgressBarWidgetTest, FillsUpToThePositionsPixel) {
    bar.SetShowText(false);
    bar.SetPosition(37);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(73, 10), bar.palette().color(QPalette::Highlight));
    EXPECT_EQ(image.pixelColor(74, 10), bar.palette().color(QPalette::Base));
    EXPECT_EQ(bar.Model().Text(), "");
}

TEST_F(ProgressBarWidgetTest, RepaintsAtOnceOnlyWhenTheEdgeMoves) {
    bar.resize(50, 20);
    bar.SetPosition(10);  // 5 pixels
    const int afterFirst = counter.paints;
    EXPECT_GE(afterFirst, 1);
    bar.SetPosition(11);  // 5.5 pixels: the same edge
    EXPECT_EQ(counter.paints, afterFirst);
    bar.SetPosition(12);
    EXPECT_EQ(counter.paints, afterFirst + 1);
}

TEST_F(ProgressBarWidgetTest, ShowsTheCaptionOrThePercentage) {
    bar.SetPosition(42);
    EXPECT_EQ(bar.Model().Text(), "42%");
    bar.SetCaption("20091231.bia");
    EXPECT_EQ(bar.Model().Text(), "20091231.bia");
    bar.SetCaption("");
    EXPECT_EQ(bar.Model().Text(), "42%");
}

}  // namespace
}  // namespace zep
