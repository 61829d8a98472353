#pragma once
// The preview of a card folder (CImportPreviewDlg, dialog 133) in Win32: the session of ui/
// decides what the card shows and when the preview ends; this dialog draws it and hands it the
// ticks of timer 56 and the buttons. The list's layout is kept in zepimplst.cfg in the program
// folder.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_params.h"
#include "ui/preview_session.h"
#include "window/win32/dialog_procedure.h"
#include "window/win32/sort_list_view.h"

namespace zep::win32 {

class PreviewDialog : private PreviewView {
public:
    // history: the archives marked as imported before; none: no marks.
    PreviewDialog(HINSTANCE instance, std::string folder, std::filesystem::path layoutFile,
                  const ImportHistory* history = nullptr);
    PreviewDialog(const PreviewDialog&) = delete;
    PreviewDialog& operator=(const PreviewDialog&) = delete;

    // Modal, with no owner; the keys of the checked rows (empty when none was checked), or
    // nullopt when cancelled.
    std::optional<std::vector<SelectionKey>> Run();

private:
    friend INT_PTR CALLBACK DialogProcedure<PreviewDialog>(HWND, UINT, WPARAM, LPARAM);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnTick();

    // PreviewView
    void BeginReading() override;
    void ShowCard(const std::vector<PreviewListRow>& rows, const std::string& summary) override;
    void CancelPreview() override;

    HINSTANCE m_instance;
    PreviewSession m_session;
    std::filesystem::path m_layoutFile;
    HWND m_window = nullptr;
    SortListView m_list;
};

}  // namespace zep::win32
