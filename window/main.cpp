// The program's entry: the command line decides what runs; without a mode option that is the
// desktop window where it is built. On Linux the window is a program of its own, run in this
// one's place, so that the headless service never maps the toolkit (window/window_program.h).
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/command_arguments.h"
#ifdef ZEP_WINDOW_LAUNCHER
#include "window/window_program.h"
#endif
#ifdef ZEP_WIN32_WINDOW
#include "window/win32/run_window.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = zep::ProgramArguments(argc, argv);
#ifdef ZEP_WINDOW_LAUNCHER
    const std::string name = argc > 0 ? argv[0] : "zepimport";
    const zep::WindowRunner window = [&name, &arguments] {
        return zep::LaunchWindowProgram(name, arguments, std::cerr);
    };
#elif defined(ZEP_WIN32_WINDOW)
    const zep::WindowRunner window = [] {
        const int showCommand = zep::win32::StartupShowCommand();
        zep::win32::LeaveOwnConsole();
        return zep::win32::RunWindow(showCommand);
    };
#else
    const zep::WindowRunner window;
#endif
    return zep::RunCommandLine(zep::ParseCommandLine(arguments), std::cout, std::cerr, window);
}
