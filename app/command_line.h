#pragma once
// The program's own options: --headless, --program-dir DIR, --help, --version; without a mode
// option the desktop window runs.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zep {

struct CommandLine {
    bool window = false;  // no mode option: the desktop window
    bool headless = false;
    bool help = false;
    bool version = false;
    std::optional<std::string> programDir;
    std::optional<std::string> error;  // what was wrong with the arguments
};

// nullopt when the arguments are not ours (another command of the program handles them).
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments);

// The desktop front end, given the process's arguments; returns the exit status.
using WindowRunner = std::function<int(int argc, char** argv)>;

// Runs the parsed options; returns the process exit status, or nullopt when the arguments are
// not ours. Without a window runner (a build without the desktop window) a request for the
// window prints the usage.
std::optional<int> RunCommandLine(int argc, char** argv, const WindowRunner& runWindow = {});

}  // namespace zep
