#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/command_line.h"
#include "app/headless.h"
#include "platform/program_path.h"

namespace zep {

namespace {

constexpr const char* kVersion = "zepimport 1.10.0";

constexpr const char* kUsage =
    "usage: zepimport [--program-dir DIR]\n"
    "       zepimport [--program-dir DIR] --headless\n"
    "       zepimport --inspect FILE...\n"
    "       zepimport --help | --version\n"
    "\n"
    "  (no option)        open the window.\n"
    "  --headless         run without a window: poll the COM port and the removable\n"
    "                     drives, import and convert; log lines go to standard output.\n"
    "                     SIGINT or SIGTERM ends the program as soon as it is idle.\n"
    "  --program-dir DIR  use DIR as the program folder (raw files, settings file)\n"
    "                     instead of the folder of the executable.\n"
    "  --inspect FILE...  describe raw archive files.\n";

}  // namespace

std::optional<int> RunCommandLine(int argc, char** argv, const WindowRunner& runWindow) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto line = ParseCommandLine(arguments);
    if (!line) {
        return std::nullopt;
    }
    if (line->error) {
        std::cerr << "zepimport: " << *line->error << "\n" << kUsage;
        return 2;
    }
    if (line->help) {
        std::cout << kUsage;
        return 0;
    }
    if (line->version) {
        std::cout << kVersion << "\n";
        return 0;
    }
    if (line->programDir) {
        std::error_code error;
        if (!std::filesystem::is_directory(*line->programDir, error)) {
            std::cerr << "zepimport: no such folder: " << *line->programDir << "\n";
            return 2;
        }
        SetProgramDirOverride(*line->programDir);
    }
    if (line->window) {
        if (!runWindow) {
            std::cerr << "zepimport: built without the window; use --headless\n" << kUsage;
            return 2;
        }
        return runWindow(argc, argv);
    }
    return RunHeadless();
}

}  // namespace zep
