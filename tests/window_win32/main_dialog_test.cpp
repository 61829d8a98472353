// The native main dialog under Wine: the controls of template 102, the keys, the system menu,
// the tray, the guarded exit, the port selector, the option boxes, the drive buttons and the
// workers' messages.
#include <thread>

#include "core/utf8_text.h"
#include "tests/window_win32/window_fixture.h"
#include "ui/dialog_templates.h"
#include "window/win32/log_pane_window.h"
#include "window/win32/system_tray.h"
#include "window/win32/worker_messages.h"

namespace zep::test {
namespace {

RECT PlaceInDialog(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Pixels of a control placed in dialog units: origin and size are converted each on its own,
// as the dialog manager does.
RECT DialogUnits(HWND dialog, const DialogRect& units) {
    RECT rect{units.x, units.y, units.width, units.height};
    MapDialogRect(dialog, &rect);
    return {rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

const wchar_t* ClassOfKind(ControlKind kind) {
    switch (kind) {
        case ControlKind::ComboBox:
            return L"ComboBox";
        case ControlKind::CheckBox:
        case ControlKind::PushButton:
        case ControlKind::GroupBox:
            return L"Button";
        case ControlKind::ProgressBar:
            return L"msctls_progress32";
        default:
            return L"Static";
    }
}

HWND Pane(HWND dialog, const wchar_t* name) {
    return FindWindowExW(dialog, nullptr, win32::kLogPaneClass, name);
}

class MainDialogTest : public WindowTest {
protected:
    bool InTray() { return Window() && !IsWindowVisible(Window()) && dialog->Tray(); }
    LRESULT TrayNotify(WPARAM id, UINT mouse) {
        return SendMessageW(dialog->Tray()->HiddenWindow(), dialog->TrayMessage(), id, mouse);
    }
    void PressKey(UINT key) {
        PostMessageW(Control(IDCANCEL), WM_KEYDOWN, key, 0);
        Pump();
    }
};

TEST_F(MainDialogTest, ControlsCarryTheIdsTextsAndPlacesOfTemplate102) {
    Start();
    const DialogTemplate& model = MainDialogTemplate();
    EXPECT_EQ(Narrow(WindowText(Window())), model.caption);
    RECT client;
    GetClientRect(Window(), &client);
    const RECT size = DialogUnits(Window(), {0, 0, model.width, model.height});
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    for (const DialogControl& control : model.controls) {
        if (control.id == DialogControl::kNoId) {
            continue;
        }
        SCOPED_TRACE(control.id);
        HWND window = Control(control.id);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(ClassOf(window), ClassOfKind(control.kind));
        EXPECT_EQ(Narrow(WindowText(window)), control.text);
        const RECT expected = DialogUnits(Window(), control.rect);
        const RECT actual = PlaceInDialog(Window(), window);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right - expected.left);
        if (control.kind != ControlKind::ComboBox) {  // a closed combo box is one line high
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom - expected.top);
        }
        if (control.kind == ControlKind::CheckBox) {  // the text on the left of the box
            EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & BS_LEFTTEXT);
        }
    }
    const DialogControl& label = PortSelectorLabel();
    HWND found = FindWindowExW(Window(), nullptr, L"Static", Widen(label.text).c_str());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(PlaceInDialog(Window(), found).left, DialogUnits(Window(), label.rect).left);
}

TEST_F(MainDialogTest, LogPanesLieOverTheirPlaceholdersUnderTheirWindowNames) {
    Start();
    for (const auto& [name, id] :
         {std::pair{L"OutputWnd", ctl::kUpperPane}, std::pair{L"OutputWnd2", ctl::kLowerPane}}) {
        HWND pane = Pane(Window(), name);
        ASSERT_NE(pane, nullptr);
        EXPECT_TRUE(IsWindowVisible(pane));
        const RECT place = PlaceInDialog(Window(), pane);
        const RECT expected = DialogUnits(Window(), FindControl(MainDialogTemplate(), id)->rect);
        EXPECT_EQ(place.left, expected.left);
        EXPECT_EQ(place.top, expected.top);
        EXPECT_EQ(place.right, expected.right);
        EXPECT_EQ(place.bottom, expected.bottom);
    }
}

TEST_F(MainDialogTest, SystemMenuGreysCloseAndOffersTheAboutItem) {
    Start();
    HMENU menu = GetSystemMenu(Window(), FALSE);
    EXPECT_TRUE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
    wchar_t text[64] = {};
    ASSERT_GT(GetMenuStringW(menu, cmd::kAbout, text, 64, MF_BYCOMMAND), 0);
    EXPECT_EQ(Narrow(text), kSystemMenuAboutText);
}

TEST_F(MainDialogTest, EscapeAndEnterHideTheWindowInTheTrayAndNoKeyClosesIt) {
    Start();
    for (const UINT key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key);
        PressKey(key);
        ASSERT_TRUE(IsWindow(Window()));
        EXPECT_TRUE(InTray());
        EXPECT_TRUE(controller->InTray());
        Command(cmd::kTrayRestore);
        EXPECT_TRUE(IsWindowVisible(Window()));
        EXPECT_EQ(dialog->Tray(), nullptr);
    }
}

TEST_F(MainDialogTest, DoubleClickOnTheTrayIconRestoresOnItsRelease) {
    Start();
    SendMessageW(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(InTray());
    EXPECT_EQ(TrayNotify(128, WM_LBUTTONDBLCLK), 0);  // not the icon's id
    EXPECT_EQ(TrayNotify(129, WM_LBUTTONUP), 1);      // a release without a double click
    EXPECT_TRUE(InTray());
    TrayNotify(129, WM_LBUTTONDBLCLK);
    TrayNotify(129, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_FALSE(controller->InTray());
    EXPECT_EQ(dialog->Tray(), nullptr);
}

TEST_F(MainDialogTest, StartingMinimisedGoesStraightToTheTray) {
    Start("[General]\nm_runMinimized=1\n");
    EXPECT_TRUE(PumpUntil([&] { return InTray(); }));
}

TEST_F(MainDialogTest, ExitIsRefusedWhileBusyAndCarriesOutTheClosingStepsWhenIdle) {
    Start();
    for (const int command : {IDCANCEL, IDOK, static_cast<int>(cmd::kTrayExit)}) {
        controller->ConvertBusy() = 1;
        Command(command);
        ASSERT_TRUE(IsWindow(Window())) << command;
    }
    controller->ConvertBusy() = 0;
    Command(cmd::kTrayExit);
    EXPECT_EQ(Window(), nullptr);
    EXPECT_TRUE(Contains(events, "TessalClose"));
    EXPECT_TRUE(Contains(events, "StopWorkers"));
    EXPECT_TRUE(std::filesystem::exists(Ini()));
}

TEST_F(MainDialogTest, PortSelectorListsThePortsAndReopensTheChosenOne) {
    subsystems.portNumbers = std::vector<int>{5, 3, 1};
    Start("[COM Port]\nm_port=3\n");
    HWND selector = Control(ctl::kPortSelector);
    ASSERT_EQ(SendMessageW(selector, CB_GETCOUNT, 0, 0), 3);
    const auto selected = SendMessageW(selector, CB_GETCURSEL, 0, 0);
    EXPECT_EQ(SendMessageW(selector, CB_GETITEMDATA, selected, 0), 3);
    EXPECT_EQ(controller->Port(), 3);
    const auto com5 =
        SendMessageW(selector, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"COM5"));
    ASSERT_NE(com5, CB_ERR);
    SendMessageW(selector, CB_SETCURSEL, com5, 0);
    Command(ctl::kPortSelector, CBN_SELCHANGE);
    EXPECT_EQ(controller->Port(), 5);
    EXPECT_FALSE(serial.IsOpen(3));
    EXPECT_TRUE(serial.IsOpen(5));
}

// A screen reader's or automation's "check" is the box's default action, which clicks it
// (BM_CLICK); the controller's own values pushed into the boxes (BM_SETCHECK) do not act.
TEST_F(MainDialogTest, CheckBoxesActOnEveryClickButNotWhenTheSettingsArePushedIn) {
    Start();
    SendMessageW(Control(ctl::kAutoStart), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(Window(), ctl::kAutoStart), BST_CHECKED);
    EXPECT_TRUE(autostart.entry);
    dialog->ShowOptions(Options{});
    EXPECT_EQ(IsDlgButtonChecked(Window(), ctl::kAutoStart), BST_UNCHECKED);
    EXPECT_TRUE(autostart.entry);
}

TEST_F(MainDialogTest, DriveButtonsShowTheDrivesAndRearmTheirDrive) {
    drives.drives = {{"E:\\", true}, {"F:\\", false}};
    Start("[General]\nm_removable=1\n");
    EXPECT_EQ(WindowText(Control(ctl::kFirstDriveButton)), L"E:\\");
    EXPECT_TRUE(IsWindowVisible(Control(ctl::kFirstDriveButton)));
    EXPECT_TRUE(IsWindowEnabled(Control(ctl::kFirstDriveButton)));
    EXPECT_EQ(WindowText(Control(ctl::kFirstDriveButton + 1)), L"F:\\");
    EXPECT_FALSE(IsWindowEnabled(Control(ctl::kFirstDriveButton + 1)));
    EXPECT_FALSE(IsWindowVisible(Control(ctl::kFirstDriveButton + 2)));
    Command(ctl::kFirstDriveButton);
    EXPECT_EQ(drives.rearmed, std::vector<int>{0});
}

TEST_F(MainDialogTest, WorkerMessagesReachPanesAndBarsInOrderAndFreeTheirTexts) {
    Start();
    std::thread worker([&] {
        controller->Messages().SetBar1(40, std::string("20091231235959.bia"));
        controller->Messages().SetBar1(60, std::nullopt);
        controller->Messages().AddLogLines(std::string("нижняя"), std::string("$04верхняя"));
    });
    worker.join();
    const auto& upper = dialog->LogPane(zep::Pane::Upper)->Model();
    ASSERT_TRUE(PumpUntil([&] { return dialog->Texts().Held() == 0 && upper.LineCount() > 1; }));
    EXPECT_EQ(upper.Line(upper.LineCount() - 1), "$04верхняя");
    const auto& lower = dialog->LogPane(zep::Pane::Lower)->Model();
    ASSERT_EQ(lower.LineCount(), 1);
    EXPECT_EQ(lower.Line(0), "нижняя");
    EXPECT_EQ(dialog->Bar(1).Model().Position(), 60);
    EXPECT_EQ(WindowText(Control(ctl::kBar1)), L"20091231235959.bia");
}

TEST_F(MainDialogTest, ASendersConstantTextIsShownAndLeftToTheSender) {
    Start();
    static const char kLine[] = "$02CNV:Обработка завершена";
    EXPECT_EQ(SendMessageW(Window(), win32::kLogMessage, 0, reinterpret_cast<LPARAM>(kLine)), 1);
    const auto& upper = dialog->LogPane(zep::Pane::Upper)->Model();
    EXPECT_EQ(upper.Line(upper.LineCount() - 1), kLine);
    EXPECT_EQ(SendMessageW(Window(), win32::kBar2Message, 37, 0), 1);
    EXPECT_EQ(dialog->Bar(2).Model().Text(), "37%");
}

}  // namespace
}  // namespace zep::test

namespace zep::test {
namespace {

TEST_F(MainDialogTest, AboutBoxShowsTheVersionOfTheProgramFile) {
    Start();
    std::wstring version;
    ModalAction read([] { return FindDialog(L"Velmora - ZEP импорт") != nullptr; },
                     [&] {
                         HWND about = FindDialog(L"Velmora - ZEP импорт");
                         version = WindowText(GetDlgItem(about, ctl::kVersionLine));
                         SendMessageW(about, WM_COMMAND, IDOK, 0);
                     });
    SendMessageW(Window(), WM_SYSCOMMAND, cmd::kAbout, 0);
    EXPECT_EQ(version, L"Версия 1.10.0");
}

}  // namespace
}  // namespace zep::test
