#pragma once
// SIGINT and SIGTERM, for the headless mode, become a request to exit that the main loop polls.
namespace zep {

void InstallExitSignals();
bool ExitSignalReceived();

}  // namespace zep
