#pragma once
// The program's console commands: --headless, --inspect, --help, --version, with
// --program-dir. Every front end's entry hands its arguments here when it has any.
namespace zep {

// Returns the process exit status; usage and status 2 for arguments it does not know.
int RunConsoleProgram(int argc, char** argv);

}  // namespace zep
