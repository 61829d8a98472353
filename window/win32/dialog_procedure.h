#pragma once
// The dialog procedure of a class that handles its own messages: the object comes with
// WM_INITDIALOG as its parameter, is kept in the window's user data and gets every message from
// then on. The class needs m_window and Handle(message, wParam, lParam), both reachable here.
#include <windows.h>

namespace zep::win32 {

template <typename Dialog>
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        dialog->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return dialog ? dialog->Handle(message, wParam, lParam) : FALSE;
}

}  // namespace zep::win32
