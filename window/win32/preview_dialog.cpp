// The preview dialog in Win32: columns and layout at opening, the ticks of timer 56 and the
// buttons handed to the session, its rows and summary drawn into the list and the status line.
#include "window/win32/preview_dialog.h"

#include "core/utf8_text.h"
#include "ui/preview_template.h"
#include "window/win32/resource.h"

namespace zep::win32 {

namespace {

constexpr UINT_PTR kPreviewTimer = 56;
constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;

}  // namespace

PreviewDialog::PreviewDialog(HINSTANCE instance, std::string folder,
                             std::filesystem::path layoutFile, const ImportHistory* history)
    : m_instance(instance),
      m_session(*this, std::move(folder), history),
      m_layoutFile(std::move(layoutFile)) {}

std::optional<std::vector<SelectionKey>> PreviewDialog::Run() {
    DialogBoxParamW(m_instance, MAKEINTRESOURCEW(IDD_PREVIEW), nullptr,
                    &DialogProcedure<PreviewDialog>, reinterpret_cast<LPARAM>(this));
    return m_session.Result();
}

INT_PTR PreviewDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;
        case WM_TIMER:
            if (wParam != kPreviewTimer) {
                return FALSE;
            }
            OnTick();
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_PREVIEW_LIST && header->code == LVN_COLUMNCLICK) {
                m_list.OnHeaderClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
                SetWindowLongPtrW(m_window, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            if (header->idFrom == IDC_PREVIEW_LIST && header->code == NM_CUSTOMDRAW) {
                SetWindowLongPtrW(m_window, DWLP_MSGRESULT,
                                  m_list.OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                m_session.Accept(m_list.CheckedValues());
                EndDialog(m_window, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(m_window, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            KillTimer(m_window, kPreviewTimer);
            m_list.SaveLayout(m_layoutFile);
            return FALSE;
        default:
            return FALSE;
    }
}

void PreviewDialog::OnInitDialog() {
    SetWindowTextW(m_window, Widen(m_session.Folder()).c_str());
    m_list.Attach(GetDlgItem(m_window, IDC_PREVIEW_LIST));
    ListView_SetExtendedListViewStyle(m_list.Window(), kListStyles);
    m_list.AddColumns(kPreviewColumns);
    m_list.LoadLayout(m_layoutFile);
    SetTimer(m_window, kPreviewTimer, kPreviewTickMs, nullptr);
}

void PreviewDialog::OnTick() {
    m_session.OnTick();
}

void PreviewDialog::BeginReading() {
    EnableWindow(m_list.Window(), FALSE);
    m_list.DeleteAllRows();
}

void PreviewDialog::ShowCard(const std::vector<PreviewListRow>& rows, const std::string& summary) {
    for (const PreviewListRow& row : rows) {
        const int added = m_list.AddRow(row.cells);
        m_list.SetRowValue(added, row.key);
        if (row.imported) {
            m_list.SetRowGreyed(added);
        }
    }
    RedrawWindow(m_list.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EnableWindow(m_list.Window(), TRUE);
    m_list.Resort();
    SetDlgItemTextW(m_window, IDC_PREVIEW_STATUS, Widen(summary).c_str());
}

void PreviewDialog::CancelPreview() {
    EndDialog(m_window, IDCANCEL);
}

}  // namespace zep::win32
