#pragma once
// The program's command line: the one place that reads the arguments, runs what they ask for,
// and holds the usage text.
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/autostart.h"

namespace zep {

enum class Command {
    Window,      // nothing asked for (a program folder at most): the desktop window
    Help,        // --help, -h
    Version,     // --version
    Headless,    // --headless
    Inspect,     // --inspect FILE...
    Replay,      // --replay FILE
    DriverHost,  // --driver-host, not in the usage text: the program's own driver host process
    // --remove-autostart-if-mine: the session's autostart entry removed when it names this
    // executable, one of another copy left alone; what the Windows package runs at removal.
    RemoveOwnAutostart,
};

struct CommandLine {
    Command command = Command::Window;
    std::optional<std::string> programDir;  // --program-dir DIR, --program-dir=DIR
    std::vector<std::string> files;         // the files to inspect; the recording to replay
    std::optional<std::string> error;       // what was wrong with the arguments
};

// A mistake wins over everything; then --help, then --version, over --headless, --inspect and
// --replay. Everything after --inspect is a file to inspect; --replay takes one file.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Removes the autostart entry when it names programFile; 0 when none of it is left then (it
// named another program or none), 1 when it could not be removed.
int RemoveOwnAutostart(Autostart& autostart, const std::filesystem::path& programFile);

// The desktop front end; returns the process exit status.
using WindowRunner = std::function<int()>;

// Carries out the parsed command; returns the process exit status (2 for a usage error). In a
// build without the window (no runner) the window command prints the usage text on the error
// stream, status 2.
int RunCommandLine(const CommandLine& line, std::ostream& out, std::ostream& err,
                   const WindowRunner& runWindow = {});

}  // namespace zep
