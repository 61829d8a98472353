#pragma once
#include <filesystem>

namespace zep {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or empty.
std::filesystem::path ConfigHome();

}  // namespace zep
