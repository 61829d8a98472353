// The entry of zepimport.exe: the window without arguments, the console commands with them.
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "window/win32/run_window.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!arguments.empty()) {
        return zep::RunCommandLine(zep::ParseCommandLine(arguments), std::cout, std::cerr);
    }
    const int showCommand = zep::win32::StartupShowCommand();
    zep::win32::LeaveOwnConsole();
    return zep::win32::RunWindow(showCommand);
}
