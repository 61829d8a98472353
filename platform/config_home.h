#pragma once
#include <filesystem>

namespace zep {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or empty.
std::filesystem::path ConfigHome();

// $XDG_DATA_HOME, or ~/.local/share when it is unset or empty.
std::filesystem::path DataHome();

}  // namespace zep
