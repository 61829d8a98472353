#pragma once
// Autostart on Windows: a string value under a Run key of the registry ("ZEPImport" under the
// current user's Software\Microsoft\Windows\CurrentVersion\Run) holding the program path in
// double quotes. The value present and equal to that, letter case aside, means on.
#include <string>

#include "platform/autostart.h"
#include "platform/win32/windows_api.h"

namespace zep::win32 {

inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* kAutostartValue = L"ZEPImport";

// The value's text for a program file: its full path in double quotes.
std::wstring AutostartCommand(const std::filesystem::path& programFile);

class RunKeyAutostart : public Autostart {
public:
    RunKeyAutostart(HKEY root, std::wstring key, std::wstring value)
        : m_root(root), m_key(std::move(key)), m_value(std::move(value)) {}

    bool Query(const std::filesystem::path& programFile) const override;
    // The key is opened, never created: a Run key that is not there means autostart cannot be
    // set, and nothing is written.
    bool Set(const std::filesystem::path& programFile, bool on) override;

private:
    HKEY m_root;
    std::wstring m_key;
    std::wstring m_value;
};

}  // namespace zep::win32
