#pragma once
// The system's requests to end a console program (SIGINT and SIGTERM; the console's Ctrl+C,
// Ctrl+Break and closing on Windows), for the headless mode, become a request to exit that the
// main loop polls.
namespace zep {

void InstallExitSignals();
bool ExitSignalReceived();

// Those requests as a user makes them, for the program's notes: the subject of a sentence that
// goes on with "ends ...".
const char* ExitRequestWays();

}  // namespace zep
