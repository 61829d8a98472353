// The sortable list over the list view control: rows and their records, sorting through
// LVM_SORTITEMS, the header's owner-drawn arrow, the layout file.
#include "window/win32/sort_list_view.h"

#include <algorithm>

#include "ui/sort_list_model.h"
#include "window/win32/wide_text.h"

namespace zep::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1011;
constexpr int kItemTextCharacters = 256;

}  // namespace

SortListView::~SortListView() {
    if (m_list) {
        RemoveWindowSubclass(m_list, &SortListView::ListProcedure, kSubclassId);
    }
}

bool SortListView::Attach(HWND list) {
    if (!list || !SetWindowSubclass(list, &SortListView::ListProcedure, kSubclassId,
                                    reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_list = list;
    m_header = ListView_GetHeader(list);
    return true;
}

bool SortListView::AddColumns(const std::string& specification) {
    for (const ColumnSpec& column : ParseColumnSpecification(specification)) {
        std::wstring title = Widen(column.title);
        LVCOLUMNW item{};
        item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        item.fmt = LVCFMT_LEFT;
        item.cx = column.width;
        item.pszText = title.data();
        const int index = m_columnCount++;
        if (ListView_InsertColumn(m_list, index, &item) < 0) {
            return false;
        }
    }
    return true;
}

int SortListView::AddRow(const std::vector<std::string>& texts) {
    if (m_columnCount < 1) {
        return -1;
    }
    auto row = std::make_unique<Row>();
    row->texts.assign(static_cast<std::size_t>(m_columnCount), std::string());
    std::copy_n(texts.begin(), std::min<std::size_t>(texts.size(), row->texts.size()),
                row->texts.begin());
    std::wstring first = Widen(row->texts[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = first.data();
    item.lParam = reinterpret_cast<LPARAM>(row.get());
    const int index = ListView_InsertItem(m_list, &item);
    if (index < 0) {
        return -1;
    }
    for (int column = 1; column < m_columnCount; ++column) {
        std::wstring text = Widen(row->texts[static_cast<std::size_t>(column)]);
        ListView_SetItemText(m_list, index, column, text.data());
    }
    m_rows.push_back(std::move(row));
    return index;
}

const SortListView::Row* SortListView::RowAt(int row) const {
    if (row < 0 || row >= RowCount()) {
        return nullptr;
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ListView_GetItem(m_list, &item);
    return reinterpret_cast<const Row*>(item.lParam);
}

bool SortListView::SetRowValue(int row, std::uint32_t value) {
    auto* record = const_cast<Row*>(RowAt(row));
    if (!record) {
        return false;
    }
    record->value = value;
    return true;
}

std::uint32_t SortListView::GetRowValue(int row) const {
    const Row* record = RowAt(row);
    return record ? record->value : 0;
}

void SortListView::DeleteAllRows() {
    ListView_DeleteAllItems(m_list);
    m_rows.clear();
}

int SortListView::RowCount() const {
    return m_list ? ListView_GetItemCount(m_list) : 0;
}

bool SortListView::IsChecked(int row) const {
    return ListView_GetCheckState(m_list, row) != FALSE;
}

void SortListView::SortBy(int column, bool ascending) {
    m_sortColumn = column;
    m_ascending = ascending;
    SetSortArrow(column, ascending);
    ListView_SortItems(m_list, &SortListView::CompareRows, reinterpret_cast<LPARAM>(this));
}

void SortListView::OnHeaderClick(int column) {
    const SortState next = SortStateAfterClick({m_sortColumn, m_ascending}, column);
    SortBy(next.column, next.ascending);
}

int CALLBACK SortListView::CompareRows(LPARAM first, LPARAM second, LPARAM self) {
    const auto* list = reinterpret_cast<const SortListView*>(self);
    const auto* a = reinterpret_cast<const Row*>(first);
    const auto* b = reinterpret_cast<const Row*>(second);
    const int column = list->m_sortColumn;
    if (!a || !b || column < 0 || column >= list->m_columnCount) {
        return 0;
    }
    const auto& s = a->texts[static_cast<std::size_t>(column)];
    const auto& t = b->texts[static_cast<std::size_t>(column)];
    return CompareCells(s, t, list->m_ascending);
}

void SortListView::SetSortArrow(int column, bool ascending) {
    m_arrowColumn = column;
    m_arrowAscending = ascending;
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (m_header && Header_GetItem(m_header, column, &item)) {
        item.fmt |= HDF_OWNERDRAW;
        Header_SetItem(m_header, column, &item);
    }
    if (m_header) {
        InvalidateRect(m_header, nullptr, TRUE);
    }
}

std::vector<int> SortListView::ColumnWidths() const {
    std::vector<int> widths;
    const int count = m_header ? Header_GetItemCount(m_header) : -1;
    for (int column = 0; column < count; ++column) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        Header_GetItem(m_header, column, &item);
        widths.push_back(item.cxy);
    }
    return widths;
}

void SortListView::SaveLayout(const std::filesystem::path& file) const {
    WriteListLayout(file, {m_sortColumn, m_ascending, ColumnWidths()});
}

// A layout whose widths do not fit the columns restores only the sort state; a sort column
// past the columns falls back to the first.
void SortListView::LoadLayout(const std::filesystem::path& file) {
    const auto layout = ReadListLayout(file);
    if (!layout) {
        return;
    }
    const int count = m_header ? Header_GetItemCount(m_header) : 0;
    if (static_cast<int>(layout->widths.size()) == count) {
        for (int column = 0; column < count; ++column) {
            HDITEMW item{};
            item.mask = HDI_WIDTH;
            item.cxy = layout->widths[static_cast<std::size_t>(column)];
            Header_SetItem(m_header, column, &item);
        }
    }
    const int column =
        layout->sortColumn >= 0 && layout->sortColumn < m_columnCount ? layout->sortColumn : 0;
    SortBy(column, layout->ascending);
}

LRESULT CALLBACK SortListView::ListProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto* list = reinterpret_cast<SortListView*>(self);
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->hwndItem == list->m_header) {
            list->DrawHeaderItem(*item);
            return TRUE;
        }
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &SortListView::ListProcedure, kSubclassId);
        list->m_list = nullptr;
        list->m_header = nullptr;
        list->m_rows.clear();
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The header item with its text and, in the sort column, the arrow drawn with a light and a
// dark pen: up for ascending, down for descending.
void SortListView::DrawHeaderItem(const DRAWITEMSTRUCT& draw) const {
    HDC dc = draw.hDC;
    const RECT r = draw.rcItem;
    const int h = (r.bottom - r.top) / 4;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);

    wchar_t text[kItemTextCharacters] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = kItemTextCharacters - 1;
    Header_GetItem(m_header, static_cast<int>(draw.itemID), &item);
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (item.fmt & HDF_CENTER) {
        flags |= DT_CENTER;
    } else if (item.fmt & HDF_RIGHT) {
        flags |= DT_RIGHT;
    }
    RECT textRect = r;
    if (draw.itemState == ODS_SELECTED) {
        textRect.left += 1;
        textRect.right += 1;
        textRect.top += 2;
    }
    const bool sorted = static_cast<int>(draw.itemID) == m_arrowColumn;
    if (sorted) {
        textRect.right -= 3 * h;
    }
    textRect.left += h;
    textRect.right -= h;
    SetBkMode(dc, TRANSPARENT);
    if (textRect.left < textRect.right) {
        DrawTextW(dc, text, -1, &textRect, flags);
    }
    if (sorted) {
        HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        const int x = r.right;
        const int b = r.bottom;
        if (m_arrowAscending) {
            SelectObject(dc, light);
            MoveToEx(dc, x - 2 * h, h, nullptr);
            LineTo(dc, x - h, b - h - 1);
            LineTo(dc, x - 3 * h - 2, b - h - 1);
            SelectObject(dc, dark);
            MoveToEx(dc, x - 3 * h - 1, b - h - 1, nullptr);
            LineTo(dc, x - 2 * h, h - 1);
        } else {
            SelectObject(dc, light);
            MoveToEx(dc, x - h - 1, h, nullptr);
            LineTo(dc, x - 2 * h - 1, b - h);
            SelectObject(dc, dark);
            MoveToEx(dc, x - 2 * h - 2, b - h, nullptr);
            LineTo(dc, x - 3 * h - 1, h);
            LineTo(dc, x - h - 1, h);
        }
        RestoreDC(dc, saved);
        DeleteObject(light);
        DeleteObject(dark);
        return;
    }
    RestoreDC(dc, saved);
}

}  // namespace zep::win32
