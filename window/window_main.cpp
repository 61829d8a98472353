// The desktop window's program on Linux, run by zepimport in its own place and standing in for
// it (window/window_program.h).
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/program_path.h"
#include "window/qt/run_window.h"
#include "window/window_program.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.size() >= 2 && arguments[0] == zep::kLauncherOption) {
        zep::SetExecutablePathOverride(std::filesystem::path(arguments[1]));
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    const zep::WindowRunner window = [argc, argv] { return zep::RunWindow(argc, argv); };
    return zep::RunCommandLine(zep::ParseCommandLine(arguments), std::cout, std::cerr, window);
}
