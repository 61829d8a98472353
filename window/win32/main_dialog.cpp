// The main dialog's life: creation and initialisation, the message loop with accelerator
// table 131, commands, system commands, the workers' messages, the minimised drawing and the
// closing steps.
#include "window/win32/main_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "window/win32/about_box.h"
#include "window/win32/resource.h"

namespace zep::win32 {

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr const char* kTrayMessageName = "CZEPImport tray notification";

// Which check box reports which option click.
struct OptionBoxId {
    int id;
    OptionBox box;
};

constexpr OptionBoxId kOptionBoxes[] = {
    {IDC_RUN_MINIMIZED, OptionBox::RunMinimized},
    {IDC_EXPAND_ACTIVE, OptionBox::ExpandActive},
    {IDC_DELETE_AFTER, OptionBox::DeleteAfter},
    {IDC_AUTOSTART, OptionBox::AutoStart},
    {IDC_REMOVABLE, OptionBox::Removable},
    {IDC_DELETE_FLASH, OptionBox::DeleteFlash},
    {IDC_PREVIEW, OptionBox::Preview},
};

RECT ChildRect(HWND dialog, int id) {
    RECT rect{};
    HWND child = GetDlgItem(dialog, id);
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void SetResult(HWND dialog, LRESULT result) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
}

}  // namespace

MainDialog::MainDialog(HINSTANCE instance, int showCommand, PreviewRunner preview)
    : m_instance(instance), m_showCommand(showCommand), m_preview(std::move(preview)) {
    m_trayMessage = RegisterWindowMessageA(kTrayMessageName);
}

MainDialog::~MainDialog() {
    if (m_window) {
        DestroyWindow(m_window);
    }
}

bool MainDialog::Create(MainController& controller, Clock& clock) {
    m_controller = &controller;
    m_pump.emplace(controller, clock);
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    CreateDialogParamW(m_instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                       &DialogProcedure<MainDialog>, reinterpret_cast<LPARAM>(this));
    if (!m_window) {
        return false;
    }
    // Shown as a modal dialog shows itself; a minimised start was posted during the
    // initialisation and hides it again.
    ::ShowWindow(m_window, SW_SHOW);
    return true;
}

int MainDialog::RunMessageLoop() {
    m_running = true;
    MSG message;
    while (m_window && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    m_running = false;
    return IDCANCEL;
}

// Every keyboard message (256 to 264) meets the accelerators first, then the dialog's own
// keyboard handling.
bool MainDialog::PreTranslate(MSG& message) {
    if (!m_window) {
        return false;
    }
    const bool ours = message.hwnd == m_window || IsChild(m_window, message.hwnd);
    if (ours && message.message >= 256 && message.message <= 264 &&
        TranslateAcceleratorW(m_window, m_accelerators, &message)) {
        return true;
    }
    return IsDialogMessageW(m_window, &message) != FALSE;
}

const LogPaneWindow* MainDialog::LogPane(zep::Pane which) const {
    return which == zep::Pane::Upper ? m_upperPane.get() : m_lowerPane.get();
}

INT_PTR MainDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;
        case WM_TIMER:
            if (wParam != kPollTimer) {
                return FALSE;
            }
            OnPollTimer();
            return TRUE;
        case WM_SYSCOMMAND:
            return OnSystemCommand(wParam);
        case WM_PAINT:
            if (!IsIconic(m_window)) {
                return FALSE;
            }
            PaintIconic();
            return TRUE;
        case WM_QUERYDRAGICON:
            SetResult(m_window, reinterpret_cast<LRESULT>(m_icon));
            return TRUE;
        case WM_HELP:
            m_controller->OnHelp();
            return TRUE;
        case kBar1Message:
        case kBar2Message:
            OnWorkerBar(message == kBar1Message ? 1 : 2, wParam, lParam);
            SetResult(m_window, 1);
            return TRUE;
        case kLogMessage:
            OnWorkerLog(wParam, lParam);
            SetResult(m_window, 1);
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return TRUE;
        case WM_NCDESTROY:
            m_window = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void MainDialog::OnInitDialog() {
    CreatePanes();
    m_accelerators = LoadAcceleratorsW(m_instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ExtendSystemMenu();
    m_icon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                           0, 0, LR_DEFAULTSIZE | LR_SHARED));
    m_smallIcon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    m_bar1.Attach(GetDlgItem(m_window, IDC_BAR1));
    m_bar2.Attach(GetDlgItem(m_window, IDC_BAR2));
    m_bar1.SetShowText(true);
    m_bar2.SetShowText(true);
    // Show commands 2 to 7, 10 and 11 ask for a minimised start.
    m_controller->Initialise((m_showCommand & 6) != 0);
    // The drivers' lines went straight in during initialisation; from here on the workers'
    // reports come as posted messages, the ones that came meanwhile first.
    m_relay = std::make_unique<WorkerRelay>(m_window, m_texts);
    m_controller->Messages().SetWakeHandler([this] { m_relay->Forward(m_controller->Messages()); });
    m_relay->Forward(m_controller->Messages());
    ArmPollTimer();
}

// Timer 1 drives the poll; it is re-armed for the tick after, which the pump times. A "Выход"
// refused while something was busy is asked again until it is accepted.
void MainDialog::OnPollTimer() {
    m_pump->TickIfDue();
    if (m_controller->ExitPending()) {
        RequestExit();
    }
    if (m_window) {
        ArmPollTimer();
    }
}

void MainDialog::ArmPollTimer() {
    const auto wait = std::clamp<std::int64_t>(m_pump->MsUntilTick(), USER_TIMER_MINIMUM,
                                               ControllerPump::kPollPeriodMs);
    SetTimer(m_window, kPollTimer, static_cast<UINT>(wait), nullptr);
}

void MainDialog::CreatePanes() {
    m_upperPane = LogPaneWindow::Create(m_window, ChildRect(m_window, IDC_UPPER_PANE), L"OutputWnd",
                                        IDC_UPPER_PANE);
    m_lowerPane = LogPaneWindow::Create(m_window, ChildRect(m_window, IDC_LOWER_PANE),
                                        L"OutputWnd2", IDC_LOWER_PANE);
}

// Close is greyed, so that only "Выход" ends the program; the about item goes at the end.
void MainDialog::ExtendSystemMenu() {
    HMENU menu = GetSystemMenu(m_window, FALSE);
    if (!menu) {
        return;
    }
    EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    wchar_t text[64] = {};
    if (LoadStringW(m_instance, IDS_ABOUTBOX, text, 64) > 0) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
    }
}

void MainDialog::OnCommand(int id, int code) {
    for (const auto& option : kOptionBoxes) {
        if (option.id == id && code == BN_CLICKED) {
            m_controller->OnOptionClicked(option.box);
            return;
        }
    }
    if (id >= IDC_DRIVE_FIRST && id <= IDC_DRIVE_LAST && code == BN_CLICKED) {
        m_controller->OnDriveButton(id - IDC_DRIVE_FIRST);
        return;
    }
    switch (id) {
        case IDC_PORT:
            if (code == CBN_SELCHANGE) {
                m_controller->OnPortSelected();
            }
            break;
        case ID_TRAY_RESTORE:
            m_controller->RestoreFromTray();
            break;
        case ID_APP_ABOUT:
            ShowAboutBox();
            break;
        case ID_MINIMIZE:  // an accelerator that did not come as a system command
            OnSystemCommand(SC_MINIMIZE);
            break;
        case IDOK:
        case IDCANCEL:
        case ID_TRAY_EXIT:
            RequestExit();
            break;
        default:
            break;
    }
}

// The window's minimise and restore are carried out first; then the controller moves the
// window into or out of the tray.
bool MainDialog::OnSystemCommand(WPARAM command) {
    const WPARAM kind = command & 0xFFF0;
    if (kind == IDM_ABOUTBOX) {
        ShowAboutBox();
        return true;
    }
    if (kind == SC_MINIMIZE) {
        ::ShowWindow(m_window, SW_MINIMIZE);
        m_controller->OnSystemCommand(SystemCommand::Minimize);
        return true;
    }
    if (kind == SC_RESTORE) {
        ::ShowWindow(m_window, SW_RESTORE);
        m_controller->OnSystemCommand(SystemCommand::Restore);
        return true;
    }
    return false;
}

void MainDialog::OnWorkerBar(int bar, WPARAM position, LPARAM caption) {
    SetBarPosition(bar, static_cast<int>(position));
    if (caption != 0) {
        SetBarCaption(bar, MessageText(caption));
        m_texts.Release(caption);
    }
}

// The lower pane's line first, then the upper pane's.
void MainDialog::OnWorkerLog(WPARAM lower, LPARAM upper) {
    if (lower != 0) {
        AddLine(zep::Pane::Lower, MessageText(static_cast<LPARAM>(lower)));
        m_texts.Release(static_cast<LPARAM>(lower));
    }
    if (upper != 0) {
        AddLine(zep::Pane::Upper, MessageText(upper));
        m_texts.Release(upper);
    }
}

void MainDialog::PaintIconic() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_window, &paint);
    SendMessageW(m_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_window, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_icon);
    EndPaint(m_window, &paint);
}

void MainDialog::RequestExit() {
    if (m_controller->RequestExit()) {
        DestroyWindow(m_window);
    }
}

// The closing steps run while the controls still exist: the settings read them.
void MainDialog::OnDestroy() {
    KillTimer(m_window, kPollTimer);
    m_controller->Messages().SetWakeHandler(nullptr);
    m_controller->Close();
    m_tray.reset();
    if (m_running) {
        PostQuitMessage(0);
    }
}

void MainDialog::ShowAboutBox() {
    RunAboutBox(m_instance, m_window);
}

}  // namespace zep::win32
