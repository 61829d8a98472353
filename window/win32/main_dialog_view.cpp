// The main dialog as the controller's view: panes, bars, port selector, check boxes, drive
// buttons, tray icon, showing and hiding, the preview and the error box.
#include "window/win32/main_dialog.h"

#include <string>

#include "core/utf8_text.h"
#include "window/win32/resource.h"

namespace zep::win32 {

namespace {

constexpr int kDriveButtonCount = IDC_DRIVE_LAST - IDC_DRIVE_FIRST + 1;

// Which check box fills which option member.
struct OptionBinding {
    int id;
    int Options::*member;
};

constexpr OptionBinding kBindings[] = {
    {IDC_RUN_MINIMIZED, &Options::runMinimized},
    {IDC_EXPAND_ACTIVE, &Options::expandActive},
    {IDC_DELETE_AFTER, &Options::deleteAfter},
    {IDC_AUTOSTART, &Options::autoStart},
    {IDC_REMOVABLE, &Options::removable},
    {IDC_DELETE_FLASH, &Options::deleteFlash},
    {IDC_PREVIEW, &Options::preview},
};

}  // namespace

void MainDialog::AddLine(zep::Pane pane, const std::string& line) {
    auto& window = pane == zep::Pane::Upper ? m_upperPane : m_lowerPane;
    if (window) {
        window->AddLine(line);
    }
}

void MainDialog::SetBarPosition(int bar, int position) {
    BarWindow(bar).SetPosition(position);
}

void MainDialog::SetBarCaption(int bar, const std::string& caption) {
    BarWindow(bar).SetCaption(Widen(caption));
}

void MainDialog::FillPortSelector(const std::vector<int>& ports, int selectedPort) {
    HWND selector = GetDlgItem(m_window, IDC_PORT);
    SendMessageW(selector, CB_RESETCONTENT, 0, 0);
    for (const int port : ports) {
        const std::wstring text = L"COM" + std::to_wstring(port);
        const auto index =
            SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(selector, CB_SETITEMDATA, static_cast<WPARAM>(index), port);
        if (port == selectedPort) {
            SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        }
    }
}

void MainDialog::EnablePortSelector(bool enabled) {
    EnableWindow(GetDlgItem(m_window, IDC_PORT), enabled);
}

std::optional<Controls> MainDialog::ReadControls() {
    if (!m_window) {
        return std::nullopt;
    }
    Controls controls;
    for (const auto& binding : kBindings) {
        controls.options.*binding.member =
            IsDlgButtonChecked(m_window, binding.id) == BST_CHECKED ? 1 : 0;
    }
    HWND selector = GetDlgItem(m_window, IDC_PORT);
    const auto selected = SendMessageW(selector, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR) {
        controls.port = static_cast<int>(
            SendMessageW(selector, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    }
    return controls;
}

void MainDialog::ShowOptions(const Options& options) {
    for (const auto& binding : kBindings) {
        CheckDlgButton(m_window, binding.id, options.*binding.member ? BST_CHECKED : BST_UNCHECKED);
    }
}

void MainDialog::ShowDriveButtons(const std::vector<DriveButton>& buttons) {
    for (int k = 0; k < kDriveButtonCount; ++k) {
        HWND button = GetDlgItem(m_window, IDC_DRIVE_FIRST + k);
        if (k < static_cast<int>(buttons.size())) {
            SetWindowTextW(button, Widen(buttons[k].root).c_str());
            ::ShowWindow(button, SW_SHOW);
            EnableWindow(button, buttons[k].enabled);
        } else {
            ::ShowWindow(button, SW_HIDE);
        }
    }
}

void MainDialog::SetTrayIcon(bool present, const std::string& tooltip) {
    if (present && !m_tray) {
        m_tray = std::make_unique<SystemTray>(m_window);
        m_tray->CreateIcon(nullptr, m_trayMessage, tooltip, m_smallIcon, IDR_TRAYMENU);
    } else if (!present) {
        m_tray.reset();
    }
}

void MainDialog::UpdateTooltip(const std::string& tooltip) {
    if (m_tray) {
        m_tray->UpdateTooltip(tooltip);
    }
}

void MainDialog::ShowWindow(bool visible) {
    ::ShowWindow(m_window, visible ? SW_SHOW : SW_HIDE);
}

void MainDialog::RestoreWindow() {
    ::ShowWindow(m_window, SW_RESTORE);
}

std::optional<std::vector<SelectionKey>> MainDialog::ShowPreview(const std::string& folder,
                                                                 const ImportHistory* history) {
    if (!m_preview) {
        return std::vector<SelectionKey>{};
    }
    return m_preview(folder, history);
}

void MainDialog::ShowError(const std::string& text) {
    MessageBoxW(m_window, Widen(text).c_str(), nullptr, MB_OK | MB_ICONERROR);
}

}  // namespace zep::win32
