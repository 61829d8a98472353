// The text progress bar's subclass of the progress control: position and caption go to the
// bar model, painting follows its split and text.
#include "window/win32/progress_bar_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "core/utf8_text.h"

namespace zep::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1003;

void Fill(HDC dc, const RECT& area, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void DrawClippedText(HDC dc, const std::wstring& text, RECT whole, const RECT& clip,
                     COLORREF colour) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &whole,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(dc, saved);
}

}  // namespace

ProgressBarWindow::~ProgressBarWindow() {
    if (m_window) {
        RemoveWindowSubclass(m_window, &ProgressBarWindow::Procedure, kSubclassId);
    }
}

bool ProgressBarWindow::Attach(HWND control) {
    if (!control || !SetWindowSubclass(control, &ProgressBarWindow::Procedure, kSubclassId,
                                       reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    m_window = control;
    return true;
}

int ProgressBarWindow::SetPosition(int position) {
    if (!m_window) {
        return -1;
    }
    RECT client;
    GetClientRect(m_window, &client);
    int previous = 0;
    if (m_model.SetPosition(position, client.right - client.left, &previous)) {
        RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return previous;
}

void ProgressBarWindow::SetCaption(const std::wstring& caption) {
    if (m_window) {
        SetWindowTextW(m_window, caption.c_str());
    } else {
        m_model.SetCaption(Narrow(caption));
    }
}

void ProgressBarWindow::SetShowText(bool on) {
    if (m_model.SetShowText(on) && m_window) {
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

LRESULT CALLBACK ProgressBarWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto* bar = reinterpret_cast<ProgressBarWindow*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &ProgressBarWindow::Procedure, kSubclassId);
        bar->m_window = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return bar->Handle(message, wParam, lParam);
}

LRESULT ProgressBarWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE: {
            const LRESULT result = DefSubclassProc(m_window, message, wParam, lParam);
            m_model.Resized();
            return result;
        }
        case WM_SETTEXT: {
            const LRESULT result = DefSubclassProc(m_window, message, wParam, lParam);
            const auto* text = reinterpret_cast<const wchar_t*>(lParam);
            if (m_model.SetCaption(text ? Narrow(text) : std::string())) {
                InvalidateRect(m_window, nullptr, FALSE);
            }
            return result;
        }
        case WM_GETTEXT:
            return OnGetText(wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(Widen(m_model.Caption()).size());
        default:
            return DefSubclassProc(m_window, message, wParam, lParam);
    }
}

// Copies at most count - 1 characters and the terminator; returns the characters copied.
LRESULT ProgressBarWindow::OnGetText(WPARAM count, LPARAM buffer) {
    auto* target = reinterpret_cast<wchar_t*>(buffer);
    if (!target || count == 0) {
        return 0;
    }
    const std::wstring caption = Widen(m_model.Caption());
    const std::size_t copied = std::min<std::size_t>(caption.size(), count - 1);
    std::wmemcpy(target, caption.data(), copied);
    target[copied] = L'\0';
    return static_cast<LRESULT>(copied);
}

void ProgressBarWindow::Paint() {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(m_window, &paint);
    RECT client;
    GetClientRect(m_window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (m_model.Paints() && width > 0 && height > 0) {
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        const HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
        Draw(memory, client);
        BitBlt(screen, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previousBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    EndPaint(m_window, &paint);
}

void ProgressBarWindow::Draw(HDC dc, const RECT& client) {
    const int split = m_model.SplitX(client.left, client.right - client.left);
    const RECT done{client.left, client.top, split, client.bottom};
    const RECT remaining{split, client.top, client.right, client.bottom};
    Fill(dc, done, m_barColour);
    Fill(dc, remaining, m_background);
    const std::wstring text = Widen(m_model.Text());
    if (text.empty()) {
        return;
    }
    const auto font = reinterpret_cast<HFONT>(SendMessageW(GetParent(m_window), WM_GETFONT, 0, 0));
    const HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    DrawClippedText(dc, text, client, done, m_textOnBar);
    DrawClippedText(dc, text, client, remaining, m_textOnBackground);
    if (previousFont) {
        SelectObject(dc, previousFont);
    }
}

}  // namespace zep::win32
