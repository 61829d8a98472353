// The tray icon's record, its hidden window and the mouse rules: right click opens menu 129,
// the release after a double click sends the default command.
#include "window/win32/system_tray.h"

#include <algorithm>
#include <cwchar>

#include "core/utf8_text.h"

namespace zep::win32 {

namespace {

void CopyTooltip(NOTIFYICONDATAW& data, const std::string& tooltip) {
    const std::wstring wide = Widen(TrayTooltip(tooltip));
    const std::size_t length = std::min(wide.size(), kTooltipMaxChars);
    std::wmemcpy(data.szTip, wide.data(), length);
    data.szTip[length] = L'\0';
}

void RegisterHiddenClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTrayWindowClass;
    RegisterClassExW(&windowClass);
}

TrayMouse ToTrayMouse(LPARAM mouseMessage) {
    switch (LOWORD(mouseMessage)) {
        case WM_LBUTTONDBLCLK:
            return TrayMouse::LeftDoubleClick;
        case WM_LBUTTONUP:
            return TrayMouse::LeftButtonUp;
        case WM_RBUTTONUP:
            return TrayMouse::RightButtonUp;
        default:
            return TrayMouse::Other;
    }
}

}  // namespace

SystemTray::~SystemTray() {
    DeleteIcon();
    if (m_hidden) {
        SetWindowLongPtrW(m_hidden, GWLP_USERDATA, 0);
        DestroyWindow(m_hidden);
    }
}

bool SystemTray::CreateIcon(HWND owner, UINT message, const std::string& tooltip, HICON icon,
                            UINT id) {
    RegisterHiddenClass(&SystemTray::Procedure);
    m_hidden = CreateWindowExW(0, kTrayWindowClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (m_hidden) {
        SetWindowLongPtrW(m_hidden, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    m_notifyData = {};
    m_notifyData.cbSize = sizeof m_notifyData;
    m_notifyData.hWnd = owner ? owner : m_hidden;
    m_notifyData.uID = id;
    m_notifyData.uCallbackMessage = message;
    m_notifyData.hIcon = icon;
    m_notifyData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyTooltip(m_notifyData, tooltip);
    m_enabled = Shell_NotifyIconW(NIM_ADD, &m_notifyData) != FALSE;
    return m_enabled;
}

bool SystemTray::UpdateTooltip(const std::string& tooltip) {
    if (!m_enabled) {
        return false;
    }
    m_notifyData.uFlags = NIF_TIP;
    CopyTooltip(m_notifyData, tooltip);
    return Shell_NotifyIconW(NIM_MODIFY, &m_notifyData) != FALSE;
}

void SystemTray::DeleteIcon() {
    if (m_enabled) {
        m_notifyData.uFlags = 0;
        Shell_NotifyIconW(NIM_DELETE, &m_notifyData);
        m_enabled = false;
    }
}

LRESULT CALLBACK SystemTray::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tray = reinterpret_cast<SystemTray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (tray && message == tray->m_notifyData.uCallbackMessage && message != 0) {
        return tray->HandleIconMessage(wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SystemTray::HandleIconMessage(WPARAM id, LPARAM mouseMessage) {
    if (id != m_notifyData.uID) {
        return 0;
    }
    const TrayReaction reaction = m_clicks.Handle(static_cast<int>(id), ToTrayMouse(mouseMessage));
    if (!reaction.handled) {
        return 0;
    }
    if (reaction.showMenu) {
        return ShowMenu() ? 1 : 0;
    }
    if (reaction.command) {
        SetForegroundWindow(m_mainWindow);
        SendMessageW(m_mainWindow, WM_COMMAND, static_cast<WPARAM>(*reaction.command), 0);
    }
    return 1;
}

// Menu 129 at the cursor, owned by the main window, "Восстановить" shown as the default; the
// chosen item reaches the main window as a command. False when the menu cannot be loaded.
bool SystemTray::ShowMenu() {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_notifyData.uID));
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    if (!popup) {
        DestroyMenu(menu);
        return false;
    }
    SetMenuDefaultItem(popup, static_cast<UINT>(m_clicks.DefaultItem()),
                       m_clicks.DefaultByPosition());
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(m_mainWindow);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_mainWindow, nullptr);
    PostMessageW(m_mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return true;
}

}  // namespace zep::win32
