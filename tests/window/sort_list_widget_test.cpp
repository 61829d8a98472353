// The Qt sortable list: header clicks sort through the ui model and move the arrow; a bad
// layout file changes nothing.
#include "window/qt/sort_list_widget.h"

#include <gtest/gtest.h>

#include <QTest>

#include "tests/support/temp_dir.h"

namespace zep {
namespace {

class SortListWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.AddColumns(",25;Сер.номер,90;Дата,70");
        list.SetRowValue(list.AddRow({"", "10", "05/03/2007"}), 1);
        list.SetRowValue(list.AddRow({"", "9", "28/02/2007"}), 2);
        list.resize(300, 200);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    void ClickHeader(int column) {
        QHeaderView* header = list.horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
    }
    SortListWidget list;
};

TEST_F(SortListWidgetTest, HeaderClicksSortNumbersAndDatesAndMoveTheArrow) {
    ClickHeader(1);
    EXPECT_EQ(list.GetRowValue(0), 2u);  // 9 before 10
    EXPECT_EQ(list.model()->data(list.model()->index(0, 1)).toString(), "9");
    ClickHeader(2);
    EXPECT_EQ(list.Model().ArrowColumn(), 2);
    EXPECT_EQ(list.GetRowValue(0), 2u);  // 28/02 before 05/03
    ClickHeader(2);
    EXPECT_FALSE(list.Model().ArrowAscending());
    EXPECT_EQ(list.GetRowValue(0), 1u);
    EXPECT_EQ(list.horizontalHeader()->count(), 3);
    EXPECT_EQ(list.horizontalHeader()->sectionSize(1), 90);
}

TEST_F(SortListWidgetTest, ABadLayoutFileChangesNothing) {
    test::TempDir dir;
    const auto file = dir / "zepimplst.cfg";
    test::WriteFileBytes(file, {2, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 50, 0});  // cut short
    list.LoadLayout(file);
    EXPECT_EQ(list.horizontalHeader()->sectionSize(2), 70);
    EXPECT_EQ(list.Model().ArrowColumn(), -1);
}

}  // namespace
}  // namespace zep
