// The about box: the version line made from the program file's own version resource; the
// template's "Версия ?.??" stays when the resource cannot be read.
#include "window/win32/about_box.h"

#include <optional>
#include <vector>

#include "app/program_version.h"
#include "core/utf8_text.h"
#include "window/win32/resource.h"

namespace zep::win32 {

namespace {

std::optional<VS_FIXEDFILEINFO> ProgramFileVersion() {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) {
        return std::nullopt;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> block(size);
    void* fixed = nullptr;
    UINT fixedSize = 0;
    if (!GetFileVersionInfoW(path, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", &fixed, &fixedSize) ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    return *static_cast<const VS_FIXEDFILEINFO*>(fixed);
}

INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            if (const auto version = ProgramFileVersion()) {
                const std::string text = AboutVersionLine(
                    {HIWORD(version->dwFileVersionMS), LOWORD(version->dwFileVersionMS),
                     HIWORD(version->dwFileVersionLS), LOWORD(version->dwFileVersionLS)});
                SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, Widen(text).c_str());
            }
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void RunAboutBox(HINSTANCE instance, HWND owner) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, &AboutProcedure, 0);
}

}  // namespace zep::win32
