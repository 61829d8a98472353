// HTML Help loaded from the library its control is registered with, and the help request of
// the window that uses it.
#include "platform/win32/html_help.h"

#include <htmlhelp.h>

#include "core/utf8_text.h"
#include "platform/help_viewer.h"
#include "platform/win32/registry.h"

namespace zep::win32 {

namespace {

constexpr const wchar_t* kControlServerKey =
    L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr const wchar_t* kControlFile = L"hhctrl.ocx";
// The wide entry: the help file's path comes from the registry as UTF-16 and may name a folder
// in Cyrillic, which the ANSI entry would see only where the ANSI code page happens to hold it.
constexpr const char* kEntryName = "HtmlHelpW";

}  // namespace

std::wstring HtmlHelpLibrary() {
    // A REG_EXPAND_SZ or overlong value counts as missing; the bare name still finds the
    // control in the system folder.
    auto registered = ReadRegistryText(HKEY_CLASSES_ROOT, kControlServerKey, L"", MAX_PATH);
    if (!registered || registered->empty()) {
        return kControlFile;
    }
    return *registered;
}

HtmlHelpViewer::HtmlHelpViewer(std::wstring library) : m_library(std::move(library)) {}

HtmlHelpViewer::~HtmlHelpViewer() {
    if (m_module == nullptr) {
        return;
    }
    if (m_entry != nullptr) {
        m_entry(nullptr, nullptr, HH_CLOSE_ALL, 0);
    }
    FreeLibrary(m_module);
}

bool HtmlHelpViewer::Load() {
    if (m_tried) {
        return m_entry != nullptr;
    }
    m_tried = true;
    DWORD previous = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    m_module = LoadLibraryW(m_library.c_str());
    SetThreadErrorMode(previous, nullptr);
    if (m_module == nullptr) {
        return false;
    }
    m_entry =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(m_module, kEntryName)));
    return m_entry != nullptr;
}

HtmlHelpViewer::Result HtmlHelpViewer::DisplayTopic(HWND owner, const std::wstring& fileAndTopic) {
    if (!Load()) {
        return Result::Unavailable;
    }
    const HWND shown = m_entry(owner, fileAndTopic.c_str(), HH_DISPLAY_TOPIC, 0);
    return shown != nullptr ? Result::Shown : Result::NotShown;
}

}  // namespace zep::win32

namespace zep {

void ShowHelpTopic(void* owner, const std::filesystem::path& helpFile, std::string_view topic) {
    // One for the process: the library is looked for at the first request only.
    static win32::HtmlHelpViewer viewer(win32::HtmlHelpLibrary());
    viewer.DisplayTopic(static_cast<HWND>(owner), helpFile.wstring() + Widen(topic));
}

}  // namespace zep
