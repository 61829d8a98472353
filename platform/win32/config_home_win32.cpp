// The user's roaming application data folder.
#include "platform/config_home.h"
#include "platform/win32/windows_api.h"

#include <shlobj.h>

namespace zep {

std::filesystem::path ConfigHome() {
    PWSTR folder = nullptr;
    std::filesystem::path home;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK) {
        home = folder;
    }
    CoTaskMemFree(folder);
    return home;
}

}  // namespace zep
