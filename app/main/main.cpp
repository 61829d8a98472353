// The program's entry: the command line decides what runs.
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return zep::RunCommandLine(zep::ParseCommandLine(arguments), std::cout, std::cerr);
}
