#pragma once
// Dialog units to pixels: the base units of an 8-point "MS Sans Serif", 1 horizontal unit =
// 1.5 px and 1 vertical unit = 1.625 px at 96 dpi (Qt scales logical pixels on denser screens).
#include <QFont>
#include <QRect>
#include <QSize>

#include "ui/dialog_templates.h"

namespace zep {

QRect ToPixels(const DialogRect& rect);
QSize ClientSize(const DialogTemplate& dialog);
// The dialog's font; where the face is missing the desktop's sans-serif stands in.
QFont DialogFont(const DialogTemplate& dialog);

}  // namespace zep
