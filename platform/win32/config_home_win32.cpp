// The user's folders for configuration (roaming application data) and program data (local
// application data).
#include "platform/config_home.h"
#include "platform/win32/windows_api.h"

#include <shlobj.h>

namespace zep {

namespace {

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR folder = nullptr;
    std::filesystem::path path;
    if (SHGetKnownFolderPath(id, 0, nullptr, &folder) == S_OK) {
        path = folder;
    }
    CoTaskMemFree(folder);
    return path;
}

}  // namespace

std::filesystem::path ConfigHome() {
    return KnownFolder(FOLDERID_RoamingAppData);
}

std::filesystem::path DataHome() {
    return KnownFolder(FOLDERID_LocalAppData);
}

}  // namespace zep
