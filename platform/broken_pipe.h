#pragma once
// A service's standard output may be a pipe whose reader goes away (a pager closed, the
// journal restarted). Writing to it must fail like any write, not end the process.
namespace zep {

// From now on a write to a pipe without a reader fails with an error instead of killing the
// process.
void IgnoreBrokenPipes();

}  // namespace zep
