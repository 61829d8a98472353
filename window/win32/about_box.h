#pragma once
// The about box (dialog 100): its version line shows the program file's version resource.
#include <windows.h>

namespace zep::win32 {

// Modal over `owner`.
void RunAboutBox(HINSTANCE instance, HWND owner);

}  // namespace zep::win32
