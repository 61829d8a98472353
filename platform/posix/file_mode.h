#pragma once
// The permissions a new output file gets: what the user's umask allows of rw-rw-rw-, as for
// any file the user's programs create.
#include <sys/types.h>

namespace zep::posix {

mode_t DefaultFileMode();

}  // namespace zep::posix
