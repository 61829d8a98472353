#pragma once
// The program's own options: --headless, --program-dir DIR, --help, --version.
#include <optional>
#include <string>
#include <vector>

namespace zep {

struct CommandLine {
    bool headless = false;
    bool help = false;
    bool version = false;
    std::optional<std::string> programDir;
    std::optional<std::string> error;  // what was wrong with the arguments
};

// nullopt when the arguments are not ours (another command of the program handles them).
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments);

// Runs the parsed options; returns the process exit status, or nullopt when the arguments are
// not ours.
std::optional<int> RunCommandLine(int argc, char** argv);

}  // namespace zep
