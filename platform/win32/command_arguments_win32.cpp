// The arguments from the wide command line (GetCommandLineW, split by CommandLineToArgvW), so
// that a name outside the ANSI code page keeps its characters.
#include "core/utf8_text.h"
#include "platform/command_arguments.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>

namespace zep {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace zep
