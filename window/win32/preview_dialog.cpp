// The preview dialog: columns and layout at opening, the card read on the first tick of timer
// 56, the folder watched on every later tick, the checked rows' keys taken on OK.
#include "window/win32/preview_dialog.h"

#include "core/utf8_text.h"
#include "media/preview_model.h"
#include "platform/drive_list.h"
#include "ui/preview_template.h"
#include "window/win32/resource.h"

namespace zep::win32 {

namespace {

constexpr UINT_PTR kPreviewTimer = 56;
constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;

}  // namespace

PreviewDialog::PreviewDialog(HINSTANCE instance, std::string folder,
                             std::filesystem::path layoutFile)
    : m_instance(instance), m_folder(std::move(folder)), m_layoutFile(std::move(layoutFile)) {}

std::optional<std::vector<SelectionKey>> PreviewDialog::Run() {
    const INT_PTR result =
        DialogBoxParamW(m_instance, MAKEINTRESOURCEW(IDD_PREVIEW), nullptr,
                        &DialogProcedure<PreviewDialog>, reinterpret_cast<LPARAM>(this));
    if (result != IDOK) {
        return std::nullopt;
    }
    return m_selection;
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
            OnTimer();
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_PREVIEW_LIST && header->code == LVN_COLUMNCLICK) {
                m_list.OnHeaderClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
                SetWindowLongPtrW(m_window, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                TakeSelection();
                EndDialog(m_window, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                m_selection.clear();
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
    SetWindowTextW(m_window, Widen(m_folder).c_str());
    m_list.Attach(GetDlgItem(m_window, IDC_PREVIEW_LIST));
    ListView_SetExtendedListViewStyle(m_list.Window(), kListStyles);
    m_list.AddColumns(kPreviewColumns);
    m_list.LoadLayout(m_layoutFile);
    SetTimer(m_window, kPreviewTimer, kPreviewTickMs, nullptr);
}

// The first tick reads the card; every later one checks that the card is still there.
void PreviewDialog::OnTimer() {
    if (m_inTimer) {
        return;
    }
    m_inTimer = true;
    if (!m_scanned) {
        ReadCard();
    } else if (!IsFolderPresent(m_folder)) {
        m_selection.clear();
        EndDialog(m_window, IDCANCEL);
    }
    m_inTimer = false;
}

void PreviewDialog::ReadCard() {
    EnableWindow(m_list.Window(), FALSE);
    m_list.DeleteAllRows();
    const CardFolderContents contents = ReadCardFolder(m_folder);
    for (const PreviewRow& row : contents.rows) {
        const int index =
            m_list.AddRow({"", row.deviceType, row.serialNumber, row.heatSystem, row.date});
        m_list.SetRowValue(index, row.key);
    }
    RedrawWindow(m_list.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    m_scanned = true;
    EnableWindow(m_list.Window(), TRUE);
    m_list.Resort();
    SetDlgItemTextW(m_window, IDC_PREVIEW_STATUS, Widen(PreviewSummary(contents)).c_str());
}

// The keys of the checked rows in display order.
void PreviewDialog::TakeSelection() {
    m_selection = m_list.CheckedValues();
}

}  // namespace zep::win32
