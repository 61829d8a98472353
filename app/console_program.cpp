// The console commands of the program, shared by every entry.
#include "app/console_program.h"

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/inspect.h"
#include "platform/program_path.h"

namespace zep {

namespace {

int Usage() {
    std::cerr << "usage: zepimport [--program-dir DIR] --inspect FILE...\n"
                 "       zepimport [--program-dir DIR] --headless\n"
                 "       zepimport --help | --version\n";
    return 2;
}

}  // namespace

int RunConsoleProgram(int argc, char** argv) {
    if (const auto status = RunCommandLine(argc, argv)) {
        return *status;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--program-dir") {
        std::error_code error;
        if (!std::filesystem::is_directory(args[1], error)) {
            std::cerr << "zepimport: --program-dir: no such folder: " << args[1] << "\n";
            return 2;
        }
        SetProgramDirOverride(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "zepimport 1.10.0\n";
        return 0;
    }
    if (args.size() >= 2 && args[0] == "--inspect") {
        return RunInspect(std::vector<std::string>(args.begin() + 1, args.end()), std::cout);
    }
    return Usage();
}

}  // namespace zep
