#pragma once
// The service mode: the controller without a window. Log lines go to standard output; SIGINT
// and SIGTERM ask for the exit, which is carried out as soon as no worker and no conversion
// pass is busy, after the closing steps.
namespace zep {

// Returns the process exit status.
int RunHeadless();

}  // namespace zep
