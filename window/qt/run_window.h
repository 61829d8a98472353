#pragma once
// The desktop front end: the main window on the controller, until "Выход" is accepted.
// No Qt type here, so that the program's entry can call it without Qt headers.
namespace zep {

// Returns the process exit status.
int RunWindow(int argc, char** argv);

}  // namespace zep
