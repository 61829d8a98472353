// The program's entry: the desktop window without arguments (where it is built), the headless
// mode, --inspect and the informational options. The headless mode never starts Qt.
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/inspect.h"
#include "platform/program_path.h"
#ifdef ZEP_QT_WINDOW
#include "window/qt/run_window.h"
#endif

namespace {

int Usage() {
    std::cerr << "usage: zepimport [--program-dir DIR] --inspect FILE...\n"
                 "       zepimport [--program-dir DIR] --headless\n"
                 "       zepimport --help | --version\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef ZEP_QT_WINDOW
    const zep::WindowRunner window = zep::RunWindow;
#else
    const zep::WindowRunner window;
#endif
    if (const auto status = zep::RunCommandLine(argc, argv, window)) {
        return *status;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--program-dir") {
        std::error_code error;
        if (!std::filesystem::is_directory(args[1], error)) {
            std::cerr << "zepimport: --program-dir: no such folder: " << args[1] << "\n";
            return 2;
        }
        zep::SetProgramDirOverride(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "zepimport 1.10.0\n";
        return 0;
    }
    if (args.size() >= 2 && args[0] == "--inspect") {
        return zep::RunInspect(std::vector<std::string>(args.begin() + 1, args.end()), std::cout);
    }
    return Usage();
}
