// The tray icon's click rules: menu on right release, restore on a double click's release.
#include "ui/tray_clicks.h"

#include "core/utf8_text.h"

namespace zep {

TrayReaction TrayClicks::Handle(int iconId, TrayMouse mouse) {
    TrayReaction reaction;
    if (iconId != kTrayIconId) {
        return reaction;
    }
    reaction.handled = true;
    switch (mouse) {
        case TrayMouse::RightButtonUp:
            reaction.showMenu = true;
            break;
        case TrayMouse::LeftDoubleClick:
            m_doubleClicked = true;
            break;
        case TrayMouse::LeftButtonUp:
            if (m_doubleClicked) {
                reaction.command = DefaultCommand();
            }
            m_doubleClicked = false;
            break;
        case TrayMouse::Other:
            m_doubleClicked = false;
            break;
    }
    return reaction;
}

void TrayClicks::SetDefaultItem(int item, bool byPosition) {
    m_defaultItem = item;
    m_defaultByPosition = byPosition;
}

std::optional<int> TrayClicks::DefaultCommand() const {
    if (!m_defaultByPosition) {
        return m_defaultItem;
    }
    if (m_defaultItem < 0 || m_defaultItem >= static_cast<int>(kTrayMenu.size()) ||
        kTrayMenu[static_cast<std::size_t>(m_defaultItem)].command == 0) {
        return std::nullopt;
    }
    return kTrayMenu[static_cast<std::size_t>(m_defaultItem)].command;
}

std::string TrayTooltip(std::string_view text) {
    std::size_t end = 0;
    for (std::size_t chars = 0; end < text.size() && chars < kTooltipMaxChars; ++chars) {
        end += Utf8CharLength(text, end);
    }
    return std::string(text.substr(0, end));
}

}  // namespace zep
