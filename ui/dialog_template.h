#pragma once
// Dialog templates as data: the controls of a window with their ids, texts and places in
// dialog units, and the conversion of dialog units to pixels. Front ends build their windows
// from these records, so both draw the same dialog.
#include <span>
#include <string_view>

namespace zep {

// The id of a control that the program never addresses (a decoration).
inline constexpr int kNoControlId = -1;

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    CheckBox,
    ComboBox,
    GroupBox,
    StaticText,
    Picture,
    ListView,
    ProgressBar,
    Placeholder,  // a static area that a child window replaces
};

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const DialogRect&) const = default;
};

struct DialogControl {
    int id = kNoControlId;
    ControlKind kind = ControlKind::StaticText;
    std::string_view text;
    DialogRect rect;
};

struct DialogTemplate {
    int id = 0;
    std::string_view caption;
    std::string_view fontName;
    int fontPoints = 0;
    int width = 0;  // dialog units
    int height = 0;
    std::span<const DialogControl> controls;

    // The control with the id, or nullptr.
    const DialogControl* Find(int controlId) const;
};

// Pixels of dialog units at 96 dpi for the 8-point "MS Sans Serif": 4 horizontal units are 6
// pixels, 8 vertical units are 13 pixels, rounded to the nearest pixel.
DialogRect DialogUnitsToPixels(const DialogRect& units);

}  // namespace zep
