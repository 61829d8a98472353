#pragma once
// The notification-area icon (CSystemTray): added with the program icon and a tooltip through
// Shell_NotifyIconW, its notifications received by a hidden window of its own; a right click
// opens the tray menu, a double click sends the menu's default command ("Восстановить") to the
// main window.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "ui/tray_clicks.h"

namespace zep::win32 {

// The window class of the icon's hidden window, which receives its notifications.
inline constexpr const wchar_t* kTrayWindowClass = L"CSystemTray";

class SystemTray {
public:
    explicit SystemTray(HWND mainWindow) : m_mainWindow(mainWindow) {}
    ~SystemTray();
    SystemTray(const SystemTray&) = delete;
    SystemTray& operator=(const SystemTray&) = delete;

    // owner: the window that receives the notifications, or nullptr for the hidden window.
    // True when the icon was added.
    bool CreateIcon(HWND owner, UINT message, const std::string& tooltip, HICON icon, UINT id);
    // False when the icon is not shown.
    bool UpdateTooltip(const std::string& tooltip);
    void DeleteIcon();
    // 0 when the id is not the icon's or the menu cannot be loaded, else 1.
    LRESULT HandleIconMessage(WPARAM id, LPARAM mouseMessage);

    HWND HiddenWindow() const { return m_hidden; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool ShowMenu();

    HWND m_mainWindow;
    HWND m_hidden = nullptr;
    bool m_enabled = false;
    NOTIFYICONDATAW m_notifyData{};
    TrayClicks m_clicks;
};

}  // namespace zep::win32
