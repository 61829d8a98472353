// Whether standard output is a console window.
#include "platform/console.h"
#include "platform/win32/windows_api.h"

namespace zep {

bool StdoutIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace zep
