#pragma once
// Environment variables of the process, for tests and tools that point the program at their own
// folders (configuration home, media roots, time zone).
#include <optional>
#include <string>

namespace zep {

std::optional<std::string> EnvironmentValue(const std::string& name);
// Sets the variable, or removes it for nullopt. False when the environment cannot be changed.
bool SetEnvironmentValue(const std::string& name, const std::optional<std::string>& value);

}  // namespace zep
