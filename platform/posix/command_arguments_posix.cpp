// The arguments as the system hands them to main: file names are bytes on Linux, and the
// program's texts are UTF-8 like the system's.
#include "platform/command_arguments.h"

namespace zep {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace zep
