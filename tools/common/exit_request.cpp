// The tools' handler of SIGINT and SIGTERM: it only sets the flag their loops poll.
#include "tools/common/exit_request.h"

#include <signal.h>

#include <atomic>

namespace zep::tools {

namespace {

std::atomic<bool> g_exitSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnExitSignal(int) {
    g_exitSignal.store(true);
}

}  // namespace

void InstallExitSignals() {
    struct sigaction action {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool ExitSignalReceived() {
    return g_exitSignal.load();
}

}  // namespace zep::tools
