// The user's XDG base folders, with the home-relative defaults where the variables are unset.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/config_home.h"

namespace zep {

namespace {

std::filesystem::path XdgFolder(const char* variable, const char* underHome) {
    if (const char* xdg = std::getenv(variable); xdg && *xdg) {
        return xdg;
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / underHome;
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
        return std::filesystem::path(entry->pw_dir) / underHome;
    }
    return underHome;
}

}  // namespace

std::filesystem::path ConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path DataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

}  // namespace zep
