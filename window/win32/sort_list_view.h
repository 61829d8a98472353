#pragma once
// The sortable list (CSortListCtrl) over the common-controls list view: rows with a copy of
// every cell and one user value, sorting by a clicked column with the comparison the list
// model decides, the sort arrow drawn into the owner-drawn header (CSortHeaderCtrl), and the
// layout (sort state and column widths) kept in a file.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zep::win32 {

class SortListView {
public:
    SortListView() = default;
    ~SortListView();
    SortListView(const SortListView&) = delete;
    SortListView& operator=(const SortListView&) = delete;

    // Takes over a list view control of a dialog and its header.
    bool Attach(HWND list);
    // Creates the columns of a specification "title,width;title,width;..."; false when an
    // insertion failed.
    bool AddColumns(const std::string& specification);
    // One text per column (column 0 first); returns the row index, -1 on failure.
    int AddRow(const std::vector<std::string>& texts);
    bool SetRowValue(int row, std::uint32_t value);
    std::uint32_t GetRowValue(int row) const;
    void DeleteAllRows();
    int RowCount() const;
    bool IsChecked(int row) const;

    void SortBy(int column, bool ascending);
    void Resort() { SortBy(m_sortColumn, m_ascending); }
    // The column-click notification: the same column flips the direction, another sorts
    // ascending.
    void OnHeaderClick(int column);
    int SortColumn() const { return m_sortColumn; }
    bool Ascending() const { return m_ascending; }

    void LoadLayout(const std::filesystem::path& file);
    void SaveLayout(const std::filesystem::path& file) const;

    HWND Window() const { return m_list; }

private:
    struct Row {
        std::vector<std::string> texts;
        std::uint32_t value = 0;
    };

    static LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    static int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM self);
    const Row* RowAt(int row) const;
    void SetSortArrow(int column, bool ascending);
    void DrawHeaderItem(const DRAWITEMSTRUCT& item) const;
    std::vector<int> ColumnWidths() const;

    HWND m_list = nullptr;
    HWND m_header = nullptr;
    int m_columnCount = 0;
    int m_sortColumn = 0;
    bool m_ascending = true;
    // The header's copy of the sort state, for drawing the arrow; -1: no arrow yet.
    int m_arrowColumn = -1;
    bool m_arrowAscending = true;
    // The row records, addressed by the items' lParam; a record lives as long as its item.
    std::vector<std::unique_ptr<Row>> m_rows;
};

}  // namespace zep::win32
