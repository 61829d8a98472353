// SIGINT and SIGTERM become the request to exit that the headless main loop polls.
#include <signal.h>

#include <atomic>

#include "platform/exit_signals.h"

namespace zep {

namespace {

std::atomic<bool> g_exitSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnProgramExitSignal(int) {
    g_exitSignal.store(true);
}

}  // namespace

void InstallExitSignals() {
    struct sigaction action {};
    action.sa_handler = OnProgramExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool ExitSignalReceived() {
    return g_exitSignal.load();
}

const char* ExitRequestWays() {
    return "SIGINT or SIGTERM";
}

}  // namespace zep
