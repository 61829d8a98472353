// The sortable list without a toolkit: columns, comparisons, header clicks and the layout file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_dir.h"
#include "ui/cell_compare.h"
#include "ui/preview_template.h"
#include "ui/sort_list_model.h"

namespace zep {
namespace {

TEST(ColumnSpec, GivesTitledAndUntitledColumnsWithTheirWidths) {
    const auto columns = ParseColumnSpec(kPreviewColumns);
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns.front(), (ListColumn{"", 25}));
    EXPECT_EQ(columns[1], (ListColumn{"Тип прибора", 90}));
    EXPECT_EQ(columns.back(), (ListColumn{"Дата", 70}));
    EXPECT_TRUE(ParseColumnSpec("no comma here").empty());
    EXPECT_EQ(ParseColumnSpec("A,99999999999;B,-3;C, 12"),
              (std::vector<ListColumn>{{"A", kMaxColumnWidth}, {"B", 0}, {"C", 12}}));
}

TEST(CellCompare, ChoosesNumberDateOrTextFromTheFirstCell) {
    struct Case {
        const char* s;
        const char* t;
        int order;
    };
    const Case cases[] = {
        {"10", "9", 1},
        {"10a", "9", -1},
        {"05/03/2007", "28/02/2007", 1},
        {"28/02/2007", "05/03/2007", -1},
        {"", "abc", 0},
        {"05/03/2007", "x", 1},
        {"99999999999999999999", "1", 1},
        {"abc", "Abd", -1},
        {"abc", "Abc", -1},
        {"Ёлка", "Жук", -1},
        {"Ель", "Ёлка", -1},
        {"а", "Я", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareCells(c.s, c.t), c.order) << c.s << " / " << c.t;
    }
}

class SortList : public ::testing::Test {
protected:
    void SetUp() override {
        list.AddColumns(",25;Name,90;Count,90");
        for (const auto& [name, count] : {std::pair{"b", "10"}, {"a", "9"}, {"c", "100"}}) {
            list.SetRowValue(list.AddRow({"", name, count}), static_cast<std::uint32_t>(name[0]));
        }
    }
    std::string Names() const {
        std::string names;
        for (int row = 0; row < list.RowCount(); ++row) {
            names += list.Text(row, 1);
        }
        return names;
    }
    SortListModel list;
};

TEST_F(SortList, HeaderClicksSortAscendingThenFlip) {
    list.HeaderClick(2);
    EXPECT_EQ(Names(), "abc");
    EXPECT_EQ(list.ArrowColumn(), 2);
    EXPECT_TRUE(list.ArrowAscending());
    list.HeaderClick(2);
    EXPECT_EQ(Names(), "cba");
    EXPECT_FALSE(list.ArrowAscending());
    list.HeaderClick(1);
    EXPECT_EQ(Names(), "abc");
    EXPECT_EQ(list.RowValue(0), static_cast<std::uint32_t>('a'));
}

TEST_F(SortList, TheFirstClickOnColumnZeroOfAFreshListSortsDescending) {
    EXPECT_EQ(list.ArrowColumn(), -1);
    list.HeaderClick(0);
    EXPECT_EQ(list.SortColumn(), 0);
    EXPECT_FALSE(list.Ascending());
}

TEST_F(SortList, ASortColumnOutsideTheTableLeavesTheRowsAlone) {
    list.SortBy(7, true);
    list.SortBy(-1, false);
    EXPECT_EQ(Names(), "bac");
    EXPECT_EQ(list.Text(0, 7), "");
    EXPECT_EQ(list.Text(9, 1), "");
    EXPECT_FALSE(list.SetRowValue(3, 1));
    EXPECT_EQ(list.RowValue(-1), 0u);
}

TEST_F(SortList, ReturnsTheValuesOfTheCheckedRowsInDisplayOrder) {
    list.SetChecked(0, true);
    list.SetChecked(2, true);
    list.SortBy(1, false);
    EXPECT_EQ(list.CheckedValues(), (std::vector<std::uint32_t>{'c', 'b'}));
}

TEST(SortListMixedCells, SortsWithoutLeavingTheRowsWhateverTheCellsAre) {
    SortListModel list;
    list.AddColumns("A,10");
    const char* cells[] = {"10", "abc", "", "05/03/2007", "9", "x1", "28/02/2007", "", "7a"};
    for (int round = 0; round < 20; ++round) {
        for (const char* cell : cells) {
            list.AddRow({cell});
        }
    }
    list.SortBy(0, true);
    list.SortBy(0, false);
    EXPECT_EQ(list.RowCount(), 180);
}

TEST(ListLayoutFile, RoundTripsAndRestoresWidthsOnlyForTheSameColumnCount) {
    test::TempDir dir;
    const auto file = dir / std::string(kListLayoutFileName);
    ListLayout written{3, 0, 5, {25, 90, 91, 100, 70}};
    ASSERT_TRUE(SaveListLayoutFile(file, written));
    const auto read = LoadListLayoutFile(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, written);

    const auto five = ApplyListLayout(*read, 5);
    ASSERT_TRUE(five && five->widths);
    EXPECT_EQ(*five->widths, (std::vector<int>{25, 90, 91, 100, 70}));
    EXPECT_EQ(five->sortColumn, 3);
    EXPECT_FALSE(five->ascending);

    const auto four = ApplyListLayout(*read, 4);
    ASSERT_TRUE(four);
    EXPECT_FALSE(four->widths);
    EXPECT_EQ(four->sortColumn, 3);
}

TEST(ListLayoutFile, BadRecordsNeverReachPastTheTable) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        int columns;
        bool used;
        int sortColumn;
        bool widths;
    };
    const auto record = [](ListLayout layout) { return EncodeListLayout(layout); };
    auto truncated = record({1, 1, 3, {10, 20, 30}});
    truncated.resize(truncated.size() - 2);
    const Case cases[] = {
        {{}, 3, false, 0, false},
        {{1, 0, 0}, 3, false, 0, false},
        {record({2, 1, {}, {}}), 3, true, 2, false},           // ends after the direction
        {{2, 0, 0, 0, 1, 0, 0, 0, 3, 0}, 3, false, 0, false},  // count cut off
        {truncated, 3, false, 0, false},
        {record({1, 1, 7, {10, 20}}), 3, true, 1, false},     // other column count
        {record({9, 0, 3, {10, 20, 30}}), 3, true, 0, true},  // sort column past the columns
        {record({1, 0, -4, {}}), 3, true, 1, false},
        {record({1, 0, 3, {-5, 20, 99999}}), 3, true, 1, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const auto decoded = DecodeListLayout(c.bytes);
        const auto applied = decoded ? ApplyListLayout(*decoded, c.columns) : std::nullopt;
        ASSERT_EQ(applied.has_value(), c.used) << i;
        if (applied) {
            EXPECT_EQ(applied->sortColumn, c.sortColumn) << i;
            ASSERT_EQ(applied->widths.has_value(), c.widths) << i;
            for (const int width : applied->widths.value_or(std::vector<int>{})) {
                EXPECT_GE(width, 0);
                EXPECT_LE(width, kMaxColumnWidth);
            }
        }
    }
}

TEST(ListLayoutFile, AMissingEmptyOrHugeFileIsNoLayout) {
    test::TempDir dir;
    EXPECT_FALSE(LoadListLayoutFile(dir / "absent.cfg"));
    test::WriteFileText(dir / "empty.cfg", "");
    EXPECT_FALSE(LoadListLayoutFile(dir / "empty.cfg"));
    test::WriteFileText(dir / "huge.cfg", std::string(1 << 20, '\x01'));
    EXPECT_FALSE(LoadListLayoutFile(dir / "huge.cfg"));
    EXPECT_FALSE(SaveListLayoutFile(dir / "no" / "folder.cfg", {}));
#ifndef _WIN32
    // A FIFO in the file's place would hold the window's exit in the save.
    const auto fifo = dir / "fifo.cfg";
    ASSERT_EQ(std::system(("mkfifo '" + fifo.string() + "'").c_str()), 0);
    EXPECT_FALSE(LoadListLayoutFile(fifo));
    EXPECT_FALSE(SaveListLayoutFile(fifo, {}));
    EXPECT_EQ(std::filesystem::symlink_status(fifo).type(), std::filesystem::file_type::fifo);
#endif
}

}  // namespace
}  // namespace zep
