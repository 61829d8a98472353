#include <unistd.h>

#include "platform/console.h"

namespace zep {

bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace zep
