#pragma once
// Windows' HTML Help, reached through the library of its control rather than linked: a system
// without it still runs the program, only without help.
#include <string>

#include "platform/win32/windows_api.h"

namespace zep::win32 {

// The file of the HTML Help control as the classes root registers it (the default value of
// CLSID\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\InprocServer32), or else "hhctrl.ocx", which
// the loader finds in the system folder.
std::wstring HtmlHelpLibrary();

// HTML Help from one library file, loaded at the first request. A library that cannot be loaded,
// or that lacks the entry, is not tried again.
class HtmlHelpViewer {
public:
    explicit HtmlHelpViewer(std::wstring library);
    // Closes the help windows it opened before the library goes.
    ~HtmlHelpViewer();
    HtmlHelpViewer(const HtmlHelpViewer&) = delete;
    HtmlHelpViewer& operator=(const HtmlHelpViewer&) = delete;

    enum class Result {
        Shown,       // HTML Help opened the topic
        NotShown,    // HTML Help was asked but showed nothing (no such file or topic)
        Unavailable  // no HTML Help: nothing was asked, now or later
    };
    // HH_DISPLAY_TOPIC for "file::topic" (fileAndTopic), owned by owner.
    Result DisplayTopic(HWND owner, const std::wstring& fileAndTopic);

private:
    using Entry = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    bool Load();

    std::wstring m_library;
    bool m_tried = false;
    HMODULE m_module = nullptr;
    Entry m_entry = nullptr;
};

}  // namespace zep::win32
