// The program's entry: the command line decides what runs; without a mode option that is the
// desktop window where it is built. The headless mode never starts Qt.
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#ifdef ZEP_QT_WINDOW
#include "window/qt/run_window.h"
#endif
#ifdef ZEP_WIN32_WINDOW
#include "window/win32/run_window.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
#ifdef ZEP_QT_WINDOW
    const zep::WindowRunner window = [argc, argv] { return zep::RunWindow(argc, argv); };
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
