// The console's exit requests (Ctrl+C, Ctrl+Break, closing the console window, log-off and
// shut-down) become the request to exit that the headless main loop polls.
#include <atomic>

#include "platform/exit_signals.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

std::atomic<bool> g_exitSignal{false};

// After a close, log-off or shut-down event the system ends the process as soon as the handler
// returns; holding it lets the main loop finish its closing steps and end the process itself
// (the system still ends it after its own grace period).
constexpr DWORD kClosingGraceMs = 30000;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            g_exitSignal.store(true);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            g_exitSignal.store(true);
            Sleep(kClosingGraceMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void InstallExitSignals() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool ExitSignalReceived() {
    return g_exitSignal.load();
}

// Log-off and shut-down end it too, but nobody starts either to end one program.
const char* ExitRequestWays() {
    return "Ctrl+C, Ctrl+Break or closing the console";
}

}  // namespace zep
