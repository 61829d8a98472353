#pragma once
// The dialogs of the window as data in dialog units: the main window (template 102) and the
// about box (template 100). Both front ends build their windows from these records, so a
// control's id, text and place have one home.
#include <span>
#include <string>
#include <vector>

namespace zep {

enum class ControlKind {
    Label,        // static text
    Icon,         // static icon (the program icon)
    Frame,        // static with a border (a placeholder the log panes are created over)
    GroupBox,     // group frame
    ComboBox,     // drop-down list, not sorted
    CheckBox,     // auto check box, text on the left of the box
    PushButton,   // push button
    ProgressBar,  // progress bar
    DefaultPushButton,
    Picture,   // static bitmap (a decoration)
    ListView,  // report-view list
};

// Position and size in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const DialogRect&) const = default;
};

struct DialogControl {
    int id = kNoId;
    ControlKind kind = ControlKind::Label;
    std::string text;
    DialogRect rect;
    bool rightAligned = false;  // check box text and box flush right in the rectangle

    static constexpr int kNoId = -1;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    std::string fontName;
    int fontPoints = 0;
    int width = 0;  // client size in dialog units
    int height = 0;
    std::vector<DialogControl> controls;

    // The control with the id, or nullptr.
    const DialogControl* Find(int controlId) const;
};

// Control ids of the main window.
namespace ctl {
inline constexpr int kExit = 2;
inline constexpr int kPortSelector = 1000;
inline constexpr int kRunMinimized = 1002;
inline constexpr int kBar1 = 1003;
inline constexpr int kBar2 = 1004;
inline constexpr int kExpandActive = 1005;
inline constexpr int kUpperPane = 1006;
inline constexpr int kDeleteAfter = 1007;
inline constexpr int kAutoStart = 1008;
inline constexpr int kRemovable = 1009;
inline constexpr int kDeleteFlash = 1010;
inline constexpr int kPreview = 1011;
inline constexpr int kLowerPane = 1012;
inline constexpr int kFirstDriveButton = 1015;
inline constexpr int kDriveButtons = 10;
// The about box's version line.
inline constexpr int kVersionLine = 1007;
inline constexpr int kOk = 1;
}  // namespace ctl

// Window names of the two log panes created over the placeholders 1006 and 1012.
inline constexpr const char* kUpperPaneName = "OutputWnd";
inline constexpr const char* kLowerPaneName = "OutputWnd2";

// Check box 1008 where it controls the desktop session's autostart entry (acts at log-in)
// rather than the Windows Run key.
inline constexpr const char* kAutoStartTextSession = "Запускать при входе в систему";

// Resources of the main window: menu 129 (the tray menu), string 101 (the system menu item) and
// the commands they give.
namespace cmd {
inline constexpr int kAbout = 16;  // system menu item
inline constexpr int kTrayRestore = 32773;
inline constexpr int kTrayAbout = 57664;
inline constexpr int kTrayExit = 32772;
}  // namespace cmd

inline constexpr const char* kSystemMenuAboutText = "&О программе...";  // string 101

struct MenuItem {
    int command = 0;  // 0: a separator
    const char* text = "";
};

// Menu 129: "Восстановить", "О программе...", a separator, "Выход".
std::span<const MenuItem> TrayMenu();

const DialogTemplate& MainDialogTemplate();  // 102
const DialogTemplate& AboutBoxTemplate();    // 100

// The control with that id, or nullptr.
const DialogControl* FindControl(const DialogTemplate& dialog, int id);

// The label that names the port selector (the static left of it).
const DialogControl& PortSelectorLabel();

}  // namespace zep
