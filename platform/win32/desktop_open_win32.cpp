// Hands a file to the shell, which opens it with its registered handler.
#include "platform/desktop_open.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>

namespace zep {

void OpenWithDesktop(const std::filesystem::path& file) {
    ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace zep
