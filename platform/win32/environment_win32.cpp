// Environment variables through the C runtime, which keeps the process environment in step
// and is where its own readers (TZ for _tzset) look.
#include <cstdlib>

#include "core/utf8_text.h"
#include "platform/environment.h"

namespace zep {

std::optional<std::string> EnvironmentValue(const std::string& name) {
    if (const wchar_t* value = _wgetenv(Widen(name).c_str())) {
        return Narrow(value);
    }
    return std::nullopt;
}

bool SetEnvironmentValue(const std::string& name, const std::optional<std::string>& value) {
    if (name.empty() || name.find('=') != std::string::npos) {
        return false;
    }
    // "NAME=" removes the variable; the runtime has no way to hold an empty value.
    const std::wstring assignment = Widen(name) + L"=" + Widen(value.value_or(""));
    return _wputenv(assignment.c_str()) == 0;
}

}  // namespace zep
