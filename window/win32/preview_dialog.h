#pragma once
// The preview of a card folder (CImportPreviewDlg, dialog 133): lists what the folder holds
// half a second after opening, returns the keys of the checked rows, and cancels itself when
// the folder vanishes. The list's layout is kept in zepimplst.cfg in the program folder.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_params.h"
#include "window/win32/dialog_procedure.h"
#include "window/win32/sort_list_view.h"

namespace zep::win32 {

class PreviewDialog {
public:
    PreviewDialog(HINSTANCE instance, std::string folder, std::filesystem::path layoutFile);
    PreviewDialog(const PreviewDialog&) = delete;
    PreviewDialog& operator=(const PreviewDialog&) = delete;

    // Modal, with no owner; the keys of the checked rows (empty when none was checked), or
    // nullopt when cancelled.
    std::optional<std::vector<SelectionKey>> Run();

private:
    friend INT_PTR CALLBACK DialogProcedure<PreviewDialog>(HWND, UINT, WPARAM, LPARAM);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnTimer();
    void ReadCard();
    void TakeSelection();

    HINSTANCE m_instance;
    std::string m_folder;
    std::filesystem::path m_layoutFile;
    HWND m_window = nullptr;
    SortListView m_list;
    bool m_scanned = false;
    bool m_inTimer = false;
    std::vector<SelectionKey> m_selection;
};

}  // namespace zep::win32
