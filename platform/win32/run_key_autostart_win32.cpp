// Autostart through the Run key: query, set and remove the quoted program path.
#include "platform/win32/registry.h"
#include "platform/win32/run_key_autostart.h"

namespace zep {

namespace win32 {

namespace {

// The value is read into a buffer of 260 characters; a longer one does not count.
constexpr std::size_t kMaxCommandChars = 260;

}  // namespace

std::wstring AutostartCommand(const std::filesystem::path& programFile) {
    return L"\"" + std::filesystem::absolute(programFile).wstring() + L"\"";
}

bool RunKeyAutostart::Query(const std::filesystem::path& programFile) const {
    const auto stored = ReadRegistryText(m_root, m_key, m_value, kMaxCommandChars);
    if (!stored) {
        return false;
    }
    const std::wstring expected = AutostartCommand(programFile);
    return CompareStringOrdinal(stored->c_str(), static_cast<int>(stored->size()), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

bool RunKeyAutostart::Set(const std::filesystem::path& programFile, bool on) {
    if (on) {
        return WriteRegistryText(m_root, m_key, m_value, AutostartCommand(programFile), false) ==
               ERROR_SUCCESS;
    }
    const LONG removed = DeleteRegistryValue(m_root, m_key, m_value);
    return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
}

}  // namespace win32

std::unique_ptr<Autostart> CreateSessionAutostart() {
    return std::make_unique<win32::RunKeyAutostart>(HKEY_CURRENT_USER, win32::kRunKey,
                                                    win32::kAutostartValue);
}

}  // namespace zep
