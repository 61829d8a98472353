// Environment variables through the C runtime, which keeps the process environment in step
// and is where its own readers (TZ for _tzset) look.
#include <cstdlib>

#include "platform/environment.h"
#include "platform/win32/wide_text.h"

namespace zep {

std::optional<std::string> EnvironmentValue(const std::string& name) {
    if (const wchar_t* value = _wgetenv(win32::Widen(name).c_str())) {
        return win32::Narrow(value);
    }
    return std::nullopt;
}

bool SetEnvironmentValue(const std::string& name, const std::optional<std::string>& value) {
    if (name.empty() || name.find('=') != std::string::npos) {
        return false;
    }
    // "NAME=" removes the variable; the runtime has no way to hold an empty value.
    const std::wstring assignment = win32::Widen(name) + L"=" + win32::Widen(value.value_or(""));
    return _wputenv(assignment.c_str()) == 0;
}

}  // namespace zep
