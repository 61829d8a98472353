// Hidden entries on Windows: the hidden attribute (FILE_ATTRIBUTE_HIDDEN, as Explorer and a
// device's card software set it), and a name that begins with a dot as on the other systems.
#include "platform/hidden_entry.h"
#include "platform/win32/windows_api.h"

namespace zep {

bool IsHiddenEntry(const std::filesystem::path& entry) {
    const auto name = entry.filename().native();
    if (!name.empty() && name.front() == L'.') {
        return true;
    }
    const DWORD attributes = GetFileAttributesW(entry.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

}  // namespace zep
