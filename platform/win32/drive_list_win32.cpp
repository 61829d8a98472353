// The removable drives from GetLogicalDrives and GetDriveType, roots like "E:\"; the presence
// test of a folder through GetDiskFreeSpaceEx, which fails on a drive without a medium.
#include "core/utf8_text.h"
#include "platform/drive_list.h"
#include "platform/win32/windows_api.h"

namespace zep {

std::vector<std::string> ListRemovableDriveRoots() {
    std::vector<std::string> roots;
    const DWORD drives = GetLogicalDrives();
    // A: and B: are never watched, removable or not.
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if ((drives & (1u << (letter - 'A'))) == 0) {
            continue;
        }
        const std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeW(Widen(root).c_str()) == DRIVE_REMOVABLE) {
            roots.push_back(root);
        }
    }
    return roots;
}

bool IsFolderPresent(const std::string& folder) {
    const std::wstring wide = Widen(folder);
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(wide.c_str(), &available, &total, &free)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace zep
