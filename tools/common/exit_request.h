#pragma once
// SIGINT and SIGTERM become a request to end that a tool's main loop polls, so that it closes
// its lines and removes its COM links before it goes.
namespace zep::tools {

void InstallExitSignals();
bool ExitSignalReceived();

}  // namespace zep::tools
