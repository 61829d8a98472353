// The log pane's window: scroll bar and cursor handling, and the GDI drawing of the rows that
// the pane layout computes on every paint.
#include "window/win32/log_pane_window.h"

#include "core/utf8_text.h"
#include "ui/log_pane_layout.h"

namespace zep::win32 {

namespace {

COLORREF ToColorRef(const Rgb& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

void RegisterPaneClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    windowClass.lpszClassName = kLogPaneClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered
}

int MeasureText(HDC dc, std::string_view text) {
    const std::wstring wide = Widen(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

void FillBackground(HDC dc, const RECT& area, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

}  // namespace

std::unique_ptr<LogPaneWindow> LogPaneWindow::Create(HWND parent, const RECT& area,
                                                     const wchar_t* name, int id) {
    RegisterPaneClass(&LogPaneWindow::Procedure);
    auto pane = std::make_unique<LogPaneWindow>(Key{});
    CreateWindowExW(0, kLogPaneClass, name, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                    area.left, area.top, area.right - area.left, area.bottom - area.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                    pane.get());
    if (!pane->m_window) {
        return nullptr;
    }
    return pane;
}

LogPaneWindow::~LogPaneWindow() {
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    if (m_font) {
        DeleteObject(m_font);
    }
}

void LogPaneWindow::AddLine(std::string_view line) {
    m_model.AddLine(line);
    ShowScrollState();
}

LRESULT CALLBACK LogPaneWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* pane =
            static_cast<LogPaneWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        pane->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
    }
    auto* pane = reinterpret_cast<LogPaneWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!pane) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        pane->m_window = nullptr;
    }
    return pane->Handle(message, wParam, lParam);
}

LRESULT LogPaneWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            TakeFont();
            SetScrollRange(m_window, SB_HORZ, 0, 0, FALSE);
            SetScrollRange(m_window, SB_VERT, 0, 0, FALSE);
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_VSCROLL:
            OnScroll(wParam);
            break;
        case WM_SIZE: {
            const LRESULT result = DefWindowProcW(m_window, message, wParam, lParam);
            ShowScrollState();
            return result;
        }
        case WM_SETCURSOR:
            if (LOWORD(lParam) != HTHSCROLL && LOWORD(lParam) != HTVSCROLL) {
                SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void LogPaneWindow::TakeFont() {
    LOGFONTW description{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description);
    m_font = CreateFontIndirectW(&description);
    HDC dc = GetDC(m_window);
    const HGDIOBJ previous = SelectObject(dc, m_font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    m_lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
    SelectObject(dc, previous);
    ReleaseDC(m_window, dc);
    InvalidateRect(m_window, nullptr, TRUE);
}

void LogPaneWindow::OnScroll(WPARAM request) {
    const int position = HIWORD(request);
    switch (LOWORD(request)) {
        case SB_LINEUP:
            m_model.Scroll(ScrollRequest::LineUp);
            break;
        case SB_PAGEUP:
            m_model.Scroll(ScrollRequest::PageUp);
            break;
        case SB_LINEDOWN:
            m_model.Scroll(ScrollRequest::LineDown);
            break;
        case SB_PAGEDOWN:
            m_model.Scroll(ScrollRequest::PageDown);
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            m_model.Scroll(ScrollRequest::Thumb, position);
            break;
        case SB_TOP:
            m_model.Scroll(ScrollRequest::Top);
            break;
        case SB_BOTTOM:
            m_model.Scroll(ScrollRequest::Bottom);
            break;
        default:
            return;
    }
    ShowScrollState();
}

void LogPaneWindow::ShowScrollState() {
    if (!m_window) {
        return;
    }
    SetScrollRange(m_window, SB_VERT, 0, m_model.ScrollMaximum(), FALSE);
    SetScrollPos(m_window, SB_VERT, m_model.ViewLine() < 0 ? 0 : m_model.ViewLine(), TRUE);
    InvalidateRect(m_window, nullptr, TRUE);
}

void LogPaneWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_window, &paint);
    RECT client;
    GetClientRect(m_window, &client);
    const HGDIOBJ previousFont = SelectObject(dc, m_font);
    SetBkMode(dc, OPAQUE);
    const auto measure = [dc](std::string_view text) { return MeasureText(dc, text); };
    const PaneLayout layout =
        LayOutPane(m_model, {client.right, client.bottom, m_lineHeight}, measure);
    for (const PaneRow& row : layout.rows) {
        int x = 0;
        for (const TextRun& run : row.runs) {
            const std::wstring text = Widen(run.text);
            SetTextColor(dc, ToColorRef(run.colour));
            SetBkColor(dc, run.background ? ToColorRef(*run.background) : m_background);
            TextOutW(dc, x, row.top, text.data(), static_cast<int>(text.size()));
            x += measure(run.text);
        }
        if (x < client.right) {
            FillBackground(dc, {x, row.top, client.right, row.top + m_lineHeight}, m_background);
        }
    }
    if (layout.clearBottom > 0) {
        FillBackground(dc, {0, 0, client.right, layout.clearBottom}, m_background);
    }
    SelectObject(dc, previousFont);
    EndPaint(m_window, &paint);
}

}  // namespace zep::win32
