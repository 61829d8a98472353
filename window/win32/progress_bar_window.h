#pragma once
// A text progress bar: a progress control of the dialog taken over to paint itself as the bar
// model says (filled and empty parts, the text drawn twice in flipped colours), off screen and
// shown in one block transfer. Its caption is the control's window text.
#include <windows.h>

#include "ui/progress_bar_model.h"

namespace zep::win32 {

class ProgressBarWindow {
public:
    ProgressBarWindow() = default;
    ~ProgressBarWindow();
    ProgressBarWindow(const ProgressBarWindow&) = delete;
    ProgressBarWindow& operator=(const ProgressBarWindow&) = delete;

    // Takes over the control; false when it cannot be subclassed.
    bool Attach(HWND control);
    // Returns the previous position, or -1 while no control is attached.
    int SetPosition(int position);
    void SetCaption(const std::wstring& caption);
    void SetShowText(bool on);
    const ProgressBarModel& Model() const { return m_model; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetText(WPARAM count, LPARAM buffer);
    void Paint();
    void Draw(HDC dc, const RECT& client);

    HWND m_window = nullptr;
    ProgressBarModel m_model;
    COLORREF m_barColour = GetSysColor(COLOR_HIGHLIGHT);
    COLORREF m_background = GetSysColor(COLOR_WINDOW);
    COLORREF m_textOnBackground = GetSysColor(COLOR_HIGHLIGHT);
    COLORREF m_textOnBar = GetSysColor(COLOR_WINDOW);
};

}  // namespace zep::win32
