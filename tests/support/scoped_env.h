#pragma once
// Sets (or unsets) an environment variable for the life of a test and puts the old value back.
#include <optional>
#include <string>

#include "platform/environment.h"

namespace zep::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value)
        : m_name(name), m_old(EnvironmentValue(name)) {
        SetEnvironmentValue(m_name, value);
    }
    ~ScopedEnv() { SetEnvironmentValue(m_name, m_old); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace zep::test
