// Whether standard output is a terminal on Linux, so the console knows it may use colours.
#include <unistd.h>

#include "platform/console.h"

namespace zep {

bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace zep
