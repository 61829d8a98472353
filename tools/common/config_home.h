#pragma once
// The user's configuration folder, where a simulator links its line as COM<n> for the program
// (the program looks in <config home>/zepimport/ports).
#include <filesystem>

namespace zep::tools {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or empty.
std::filesystem::path ConfigHome();

}  // namespace zep::tools
