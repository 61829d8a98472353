#pragma once
// Whether a process of a given id still runs, and ending one, for the tests that check that no
// process outlives the one that started it.
namespace zep::test {

// False when the process is gone, or a zombie that runs no code any more.
bool ProcessRunning(int pid);
// Ends the process at once (a test cleaning up after a failure).
void EndProcess(int pid);

}  // namespace zep::test
