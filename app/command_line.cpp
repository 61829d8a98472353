#include "app/command_line.h"

#include <algorithm>

namespace zep {

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments) {
    // The inspect command has its own handling, --program-dir included.
    if (std::find(arguments.begin(), arguments.end(), "--inspect") != arguments.end()) {
        return std::nullopt;
    }
    CommandLine line;
    if (arguments.empty()) {
        line.window = true;
        return line;
    }
    bool ours = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--headless") {
            line.headless = true;
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version") {
            line.version = true;
        } else if (argument == "--program-dir") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                line.error = "--program-dir needs a folder";
            } else {
                line.programDir = arguments[++i];
            }
        } else if (argument.rfind("--program-dir=", 0) == 0 && argument.size() > 14) {
            line.programDir = argument.substr(14);
        } else if (!ours && i == 0) {
            return std::nullopt;
        } else {
            line.error = "unknown argument " + argument;
        }
        ours = true;
    }
    if (!ours) {
        return std::nullopt;
    }
    line.window = !line.error && !line.headless && !line.help && !line.version;
    return line;
}

}  // namespace zep
