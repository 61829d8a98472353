// SIGPIPE would end the service at the first log line after its output's reader has gone.
#include <signal.h>

#include "platform/broken_pipe.h"

namespace zep {

void IgnoreBrokenPipes() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace zep
