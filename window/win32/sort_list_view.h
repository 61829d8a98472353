#pragma once
// The sortable list (CSortListCtrl) over the common-controls list view: the list model holds
// the rows, their values, check marks and order, and the sort rules; the list view shows the
// rows in the model's order, and its header draws the sort arrow (CSortHeaderCtrl) as the
// model says. The layout (sort state and column widths) is kept in a file.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ui/sort_list_model.h"

namespace zep::win32 {

class SortListView {
public:
    SortListView() = default;
    ~SortListView();
    SortListView(const SortListView&) = delete;
    SortListView& operator=(const SortListView&) = delete;

    // Takes over a list view control of a dialog and its header.
    bool Attach(HWND list);
    // Creates the columns of a list "title,width;title,width;...".
    bool AddColumns(std::string_view columnList);
    // One text per column (column 0 first); returns the row index, -1 without columns.
    int AddRow(const std::vector<std::string>& texts);
    bool SetRowValue(int row, std::uint32_t value) { return m_model.SetRowValue(row, value); }
    // Draws the row in the grey of inactive text (an archive imported before).
    bool SetRowGreyed(int row) { return m_model.SetGreyed(row, true); }
    // The list's NM_CUSTOMDRAW notification, for the greyed rows; the result to return.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
    std::uint32_t GetRowValue(int row) const { return m_model.RowValue(row); }
    void DeleteAllRows();
    int RowCount() const { return m_model.RowCount(); }
    // The values of the checked rows, in display order.
    std::vector<std::uint32_t> CheckedValues();

    void SortBy(int column, bool ascending);
    void Resort() { SortBy(m_model.SortColumn(), m_model.Ascending()); }
    // The column-click notification.
    void OnHeaderClick(int column);

    void LoadLayout(const std::filesystem::path& file);
    void SaveLayout(const std::filesystem::path& file) const;

    HWND Window() const { return m_list; }
    const SortListModel& Model() const { return m_model; }

private:
    static LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    void InsertItem(int row);
    void TakeCheckMarks();
    void ShowRows();
    void MarkSortColumn();
    void DrawHeaderItem(const DRAWITEMSTRUCT& item) const;
    std::vector<int> ColumnWidths() const;

    HWND m_list = nullptr;
    HWND m_header = nullptr;
    SortListModel m_model;
};

}  // namespace zep::win32
