#pragma once
// Icon 128: the program's icon in the window, its title bar, the tray and the about box.
#include <QIcon>

namespace zep {

const QIcon& ProgramIcon();

}  // namespace zep
