// The sortable list over the list view control: rows shown in the model's order, check marks
// taken back before every reordering, the header's owner-drawn arrow, the layout file.
#include "window/win32/sort_list_view.h"

#include "core/utf8_text.h"
#include "ui/header_arrow.h"
#include "ui/list_layout.h"

namespace zep::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1011;
constexpr int kItemTextCharacters = 256;

void DrawArrow(HDC dc, const HeaderItemBox& box, bool ascending) {
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    const HGDIOBJ previous = SelectObject(dc, light);
    for (const ArrowLine& line : SortArrowLines(box, ascending)) {
        SelectObject(dc, line.light ? light : dark);
        MoveToEx(dc, line.x1, line.y1, nullptr);
        LineTo(dc, line.x2, line.y2);
    }
    SelectObject(dc, previous);
    DeleteObject(light);
    DeleteObject(dark);
}

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
    // The model keeps the order; the control inserting by its own text order would scramble
    // the rows against it.
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) & ~LVS_SORTASCENDING);
    return true;
}

bool SortListView::AddColumns(std::string_view columnList) {
    const int first = m_model.ColumnCount();
    m_model.AddColumns(columnList);
    for (int column = first; column < m_model.ColumnCount(); ++column) {
        std::wstring title = Widen(m_model.Column(column).title);
        LVCOLUMNW item{};
        item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        item.fmt = LVCFMT_LEFT;
        item.cx = m_model.Column(column).width;
        item.pszText = title.data();
        if (ListView_InsertColumn(m_list, column, &item) < 0) {
            return false;
        }
    }
    return true;
}

int SortListView::AddRow(const std::vector<std::string>& texts) {
    const int row = m_model.AddRow(texts);
    if (row >= 0) {
        InsertItem(row);
    }
    return row;
}

void SortListView::InsertItem(int row) {
    std::wstring first = Widen(m_model.Text(row, 0));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = first.data();
    const int index = ListView_InsertItem(m_list, &item);
    for (int column = 1; column < m_model.ColumnCount(); ++column) {
        std::wstring text = Widen(m_model.Text(row, column));
        ListView_SetItemText(m_list, index, column, text.data());
    }
    ListView_SetCheckState(m_list, index, m_model.Checked(row));
}

// The list view shows the model's rows in the model's order, so an item is its row.
LRESULT SortListView::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT &&
        m_model.Greyed(static_cast<int>(draw.nmcd.dwItemSpec))) {
        draw.clrText = GetSysColor(COLOR_GRAYTEXT);
        return CDRF_NEWFONT;
    }
    return CDRF_DODEFAULT;
}

void SortListView::DeleteAllRows() {
    ListView_DeleteAllItems(m_list);
    m_model.DeleteAllRows();
}

// The user ticks the boxes in the list view; the model learns them before it reorders or
// reports the rows.
void SortListView::TakeCheckMarks() {
    for (int row = 0; row < m_model.RowCount(); ++row) {
        m_model.SetChecked(row, ListView_GetCheckState(m_list, row) != FALSE);
    }
}

std::vector<std::uint32_t> SortListView::CheckedValues() {
    TakeCheckMarks();
    return m_model.CheckedValues();
}

void SortListView::ShowRows() {
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(m_list);
    for (int row = 0; row < m_model.RowCount(); ++row) {
        InsertItem(row);
    }
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_list, nullptr, TRUE);
}

void SortListView::SortBy(int column, bool ascending) {
    TakeCheckMarks();
    m_model.SortBy(column, ascending);
    MarkSortColumn();
    ShowRows();
}

void SortListView::OnHeaderClick(int column) {
    TakeCheckMarks();
    m_model.HeaderClick(column);
    MarkSortColumn();
    ShowRows();
}

// The arrow's column becomes owner-drawn, and stays so.
void SortListView::MarkSortColumn() {
    if (!m_header) {
        return;
    }
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (Header_GetItem(m_header, m_model.ArrowColumn(), &item)) {
        item.fmt |= HDF_OWNERDRAW;
        Header_SetItem(m_header, m_model.ArrowColumn(), &item);
    }
    InvalidateRect(m_header, nullptr, TRUE);
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
    SaveListLayoutFile(file, m_model.Layout(ColumnWidths()));
}

void SortListView::LoadLayout(const std::filesystem::path& file) {
    const auto layout = LoadListLayoutFile(file);
    if (!layout) {
        return;
    }
    const auto applied = ApplyListLayout(*layout, m_model.ColumnCount());
    if (!applied) {
        return;
    }
    if (applied->widths && m_header) {
        for (std::size_t column = 0; column < applied->widths->size(); ++column) {
            HDITEMW item{};
            item.mask = HDI_WIDTH;
            item.cxy = (*applied->widths)[column];
            Header_SetItem(m_header, static_cast<int>(column), &item);
        }
    }
    SortBy(applied->sortColumn, applied->ascending);
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
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// An owner-drawn header item: its text in the room the model leaves and, in the sort column,
// the arrow.
void SortListView::DrawHeaderItem(const DRAWITEMSTRUCT& draw) const {
    HDC dc = draw.hDC;
    const RECT& r = draw.rcItem;
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
    const bool sortColumn = static_cast<int>(draw.itemID) == m_model.ArrowColumn();
    const HeaderItemBox box{r.left, r.top, r.right, r.bottom};
    const HeaderItemBox room = HeaderTextBox(box, draw.itemState == ODS_SELECTED, sortColumn);
    if (room.left < room.right) {
        RECT textRect{room.left, room.top, room.right, room.bottom};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, text, -1, &textRect, flags);
    }
    if (sortColumn) {
        DrawArrow(dc, box, m_model.ArrowAscending());
    }
    RestoreDC(dc, saved);
}

}  // namespace zep::win32
