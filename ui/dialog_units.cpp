// Dialog templates: the lookup of a control and the dialog-unit to pixel conversion.
#include "ui/dialog_templates.h"

namespace zep {

namespace {

constexpr int kBaseX = 6;   // pixels per 4 horizontal dialog units
constexpr int kBaseY = 13;  // pixels per 8 vertical dialog units

int Scale(int value, int base, int units) {
    const long long scaled = static_cast<long long>(value) * base;
    const long long half = units / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / units : (scaled - half) / units);
}

}  // namespace

const DialogControl* DialogTemplate::Find(int controlId) const {
    for (const DialogControl& control : controls) {
        if (control.id == controlId) {
            return &control;
        }
    }
    return nullptr;
}

DialogRect DialogUnitsToPixels(const DialogRect& units) {
    return {Scale(units.x, kBaseX, 4), Scale(units.y, kBaseY, 8), Scale(units.width, kBaseX, 4),
            Scale(units.height, kBaseY, 8)};
}

}  // namespace zep
