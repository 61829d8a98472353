// The entry of zepimport.exe: the console commands when there are arguments, the window
// without.
#include "app/console_program.h"
#include "window/win32/run_window.h"

int main(int argc, char** argv) {
    if (argc > 1) {
        return zep::RunConsoleProgram(argc, argv);
    }
    const int showCommand = zep::win32::StartupShowCommand();
    zep::win32::LeaveOwnConsole();
    return zep::win32::RunWindow(showCommand);
}
