// Windows has no signal for a pipe without a reader: the write fails with an error already.
#include "platform/broken_pipe.h"

namespace zep {

void IgnoreBrokenPipes() {}

}  // namespace zep
