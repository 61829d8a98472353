#pragma once
// The desktop mode on Windows: the time base, the real subsystems, the controller and the main
// dialog, run until the guarded exit.
namespace zep::win32 {

// showCommand: the show command the program was started with. Returns the exit status.
int RunWindow(int showCommand);

// The show command of the process's start-up information; a start that names none counts as
// a plain show.
int StartupShowCommand();

// Frees the console window that Windows opened for this process alone (a start from the
// desktop rather than from a console), so that only the dialog shows.
void LeaveOwnConsole();

}  // namespace zep::win32
