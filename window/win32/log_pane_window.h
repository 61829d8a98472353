#pragma once
// A log pane of the main window as a child window painting with GDI what the pane model lays
// out: coloured rows from the bottom edge upwards, a vertical scroll bar over the lines.
#include <windows.h>

#include <memory>
#include <string_view>

#include "ui/log_pane_model.h"

namespace zep::win32 {

// The window class of the panes; desktop automation finds them by it and their names.
inline constexpr const wchar_t* kLogPaneClass = L"ZepLogPane";

class LogPaneWindow {
    struct Key {};

public:
    explicit LogPaneWindow(Key) {}
    // A visible child of `parent` over `area` (client coordinates of the parent).
    static std::unique_ptr<LogPaneWindow> Create(HWND parent, const RECT& area, const wchar_t* name,
                                                 int id);
    ~LogPaneWindow();
    LogPaneWindow(const LogPaneWindow&) = delete;
    LogPaneWindow& operator=(const LogPaneWindow&) = delete;

    void AddLine(std::string_view line);
    HWND Window() const { return m_window; }
    const LogPaneModel& Model() const { return m_model; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void TakeFont();
    void Paint();
    void OnScroll(WPARAM request);
    void ShowScrollState();

    HWND m_window = nullptr;
    LogPaneModel m_model;
    HFONT m_font = nullptr;
    int m_lineHeight = 1;
    COLORREF m_background = GetSysColor(COLOR_WINDOW);
};

}  // namespace zep::win32
