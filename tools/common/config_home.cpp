// The XDG configuration folder as a tool finds it: the variable, else the home folder's .config.
#include "tools/common/config_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace zep::tools {

std::filesystem::path ConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        return xdg;
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / ".config";
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
        return std::filesystem::path(entry->pw_dir) / ".config";
    }
    return ".config";
}

}  // namespace zep::tools
