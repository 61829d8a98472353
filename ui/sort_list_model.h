#pragma once
// The sortable list without a toolkit: columns from a column list, rows that own a copy of
// their texts and carry a user value and a check mark, header-click sorting, the arrow's
// state, and the layout record.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/list_layout.h"

namespace zep {

struct ListColumn {
    std::string title;
    int width = 0;  // pixels
    bool operator==(const ListColumn&) const = default;
};

// Pairs of title "," width separated by ";"; a text without a comma gives no column.
std::vector<ListColumn> ParseColumnSpec(std::string_view spec);

// The widths a layout brings to a list with `columnCount` columns, and its sort state.
struct AppliedLayout {
    int sortColumn = 0;
    bool ascending = true;
    std::optional<std::vector<int>> widths;  // only when the record's count matches
};

// What a read layout does to a list of `columnCount` columns: nullopt when it is to be
// ignored (its widths are cut off). A sort column past the columns gives the default sort
// (column 0, ascending); widths are held within 0 .. kMaxColumnWidth.
std::optional<AppliedLayout> ApplyListLayout(const ListLayout& layout, int columnCount);
inline constexpr int kMaxColumnWidth = 4096;

class SortListModel {
public:
    struct Row {
        std::vector<std::string> texts;  // one per column
        std::uint32_t value = 0;
        bool checked = false;
        bool greyed = false;  // drawn in the grey of inactive text
    };

    // Appends the columns of the list; true (the model cannot refuse a column).
    bool AddColumns(std::string_view spec);
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    const ListColumn& Column(int column) const;

    // Adds a row at the end, texts for columns beyond those given being empty and extra texts
    // dropped; its value is 0. Returns its index, or -1 when the list has no column.
    int AddRow(std::vector<std::string> texts);
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // The cell's text; empty outside the table.
    const std::string& Text(int row, int column) const;
    bool SetRowValue(int row, std::uint32_t value);  // false when row is not a row
    std::uint32_t RowValue(int row) const;           // 0 when row is not a row
    bool SetChecked(int row, bool checked);
    bool Checked(int row) const;
    bool SetGreyed(int row, bool greyed);  // false when row is not a row
    bool Greyed(int row) const;
    void DeleteAllRows() { m_rows.clear(); }
    // Values of the checked rows in display order.
    std::vector<std::uint32_t> CheckedValues() const;

    // Sorts stably; a column outside the table leaves the order as it is.
    void SortBy(int column, bool ascending);
    void Resort() { SortBy(m_sortColumn, m_ascending); }
    // A click on column c's header: the same column flips the direction, another sorts it
    // ascending.
    void HeaderClick(int column);

    int SortColumn() const { return m_sortColumn; }
    bool Ascending() const { return m_ascending; }
    // The header's arrow: the column it is drawn in (-1 = none) and its direction.
    int ArrowColumn() const { return m_arrowColumn; }
    bool ArrowAscending() const { return m_arrowAscending; }

    // The record of the sort state and the given widths of the header's columns.
    ListLayout Layout(const std::vector<int>& widths) const;

private:
    std::vector<ListColumn> m_columns;
    std::vector<Row> m_rows;
    int m_sortColumn = 0;
    bool m_ascending = true;
    int m_arrowColumn = -1;
    bool m_arrowAscending = true;
};

}  // namespace zep
