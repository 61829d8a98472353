// Environment variables of the process on Linux, through getenv, setenv and unsetenv.
#include <stdlib.h>

#include "platform/environment.h"

namespace zep {

std::optional<std::string> EnvironmentValue(const std::string& name) {
    if (const char* value = getenv(name.c_str())) {
        return std::string(value);
    }
    return std::nullopt;
}

bool SetEnvironmentValue(const std::string& name, const std::optional<std::string>& value) {
    return (value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str())) == 0;
}

}  // namespace zep
