#pragma once
// The notification-area icon's mouse rules and its menu: a right click opens menu 129, a
// double click restores the window once its button is released.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zep {

inline constexpr int kTrayIconId = 129;  // also the id of the tray menu
inline constexpr int kCommandRestore = 32773;
inline constexpr int kCommandAbout = 57664;
inline constexpr int kCommandExit = 32772;
inline constexpr std::size_t kTooltipMaxChars = 63;

struct TrayMenuItem {
    std::string_view text;  // empty for the separator
    int command = 0;        // 0 for the separator
};

// Menu 129: "Восстановить" is its default item.
inline constexpr std::array<TrayMenuItem, 4> kTrayMenu = {{
    {"Восстановить", kCommandRestore},
    {"О программе...", kCommandAbout},
    {"", 0},
    {"Выход", kCommandExit},
}};

enum class TrayMouse { LeftDoubleClick, LeftButtonUp, RightButtonUp, Other };

struct TrayReaction {
    bool handled = false;        // the notification was the icon's
    bool showMenu = false;       // open the tray menu at the cursor
    std::optional<int> command;  // a command for the main window
};

class TrayClicks {
public:
    TrayReaction Handle(int iconId, TrayMouse mouse);
    // The default item, a position in the menu (or a command id when byPosition is false).
    void SetDefaultItem(int item, bool byPosition);
    int DefaultItem() const { return m_defaultItem; }
    bool DefaultByPosition() const { return m_defaultByPosition; }

private:
    std::optional<int> DefaultCommand() const;

    int m_defaultItem = 0;
    bool m_defaultByPosition = true;
    bool m_doubleClicked = false;
};

// The tooltip cut to the 63 characters the notification area holds.
std::string TrayTooltip(std::string_view text);

}  // namespace zep
