// Whether a folder can be entered and listed; the search handle is closed at once, so the card
// stays free to be ejected.
#include "platform/folder_access.h"
#include "platform/win32/windows_api.h"

namespace zep {

bool CanEnterFolder(const std::filesystem::path& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

}  // namespace zep
