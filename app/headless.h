#pragma once
// The service mode: the controller without a window. Log lines go to standard output; the
// system's exit requests (platform/exit_signals.h) ask for the exit, which is carried out as soon
// as no worker and no conversion pass is busy, after the closing steps.
namespace zep {

// Returns the process exit status.
int RunHeadless();

}  // namespace zep
