// The program's entry: the command line decides what runs; without a mode option that is the
// desktop window where it is built. The headless mode never starts Qt.
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#ifdef ZEP_QT_WINDOW
#include "window/qt/run_window.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
#ifdef ZEP_QT_WINDOW
    const zep::WindowRunner window = [argc, argv] { return zep::RunWindow(argc, argv); };
#else
    const zep::WindowRunner window;
#endif
    return zep::RunCommandLine(zep::ParseCommandLine(arguments), std::cout, std::cerr, window);
}
