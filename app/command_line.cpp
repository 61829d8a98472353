// Reads the program's arguments and runs the window, the headless service, the inspection, the
// help or the version they ask for.
#include "app/command_line.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/headless.h"
#include "app/inspect.h"
#include "app/program_version.h"
#include "app/replay_command.h"
#include "convert/driver_host_main.h"
#include "core/path_text.h"
#include "platform/autostart.h"
#include "platform/exit_signals.h"
#include "platform/program_path.h"

namespace zep {

namespace {

constexpr const char* kUsageHead =
    "usage: zepimport [--program-dir DIR]\n"
    "       zepimport [--program-dir DIR] --headless\n"
    "       zepimport [--program-dir DIR] --inspect FILE...\n"
    "       zepimport [--program-dir DIR] --replay FILE\n"
    "       zepimport --help | --version\n"
    "\n"
    "  (no option)        open the window.\n"
    "  --headless         run without a window: poll the COM port and the removable\n"
    "                     drives, import and convert; log lines go to standard output.\n";
constexpr const char* kUsageTail =
    "  --program-dir DIR  use DIR as the program folder (raw files, settings file)\n"
    "                     instead of the folder of the executable.\n"
    "  --inspect FILE...  describe raw files, card files, card databases and session\n"
    "                     recordings.\n"
    "  --replay FILE      run a recorded device session again against its recording and\n"
    "                     write the raw files it wrote into the program folder; nothing\n"
    "                     is converted. Exit status 1 where the program left the recording.\n";

// Each system names its own way of ending the service.
std::string Usage() {
    return std::string(kUsageHead) + "                     " + ExitRequestWays() +
           " ends the program\n                     as soon as it is idle.\n" + kUsageTail;
}

constexpr std::string_view kProgramDirJoined = "--program-dir=";
// Not in the usage: the Windows package runs it when it removes the program.
constexpr std::string_view kRemoveOwnAutostart = "--remove-autostart-if-mine";

void Fail(CommandLine& line, std::string error) {
    if (!line.error) {
        line.error = std::move(error);
    }
}

void Choose(CommandLine& line, Command command) {
    if (line.command == Command::Window) {
        line.command = command;
    } else if (line.command != command) {
        Fail(line, "choose one of --headless, --inspect and --replay");
    }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool help = false;
    bool version = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--headless") {
            Choose(line, Command::Headless);
        } else if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == kRemoveOwnAutostart) {
            Choose(line, Command::RemoveOwnAutostart);
        } else if (argument == "--program-dir") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                Fail(line, "--program-dir needs a folder");
            } else {
                line.programDir = arguments[++i];
            }
        } else if (argument.starts_with(kProgramDirJoined) &&
                   argument.size() > kProgramDirJoined.size()) {
            line.programDir = argument.substr(kProgramDirJoined.size());
        } else if (argument == kDriverHostOption) {
            Choose(line, Command::DriverHost);
        } else if (argument == "--replay") {
            Choose(line, Command::Replay);
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                Fail(line, "--replay needs a recording");
            } else {
                line.files = {arguments[++i]};
            }
        } else if (argument == "--inspect") {
            Choose(line, Command::Inspect);
            line.files.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                              arguments.end());
            if (line.files.empty()) {
                Fail(line, "--inspect needs a file");
            }
            break;
        } else {
            Fail(line, "unknown argument " + argument);
        }
    }
    if (help) {
        line.command = Command::Help;
    } else if (version) {
        line.command = Command::Version;
    }
    return line;
}

int RemoveOwnAutostart(Autostart& autostart, const std::filesystem::path& programFile) {
    if (!autostart.Query(programFile)) {
        return 0;
    }
    return autostart.Set(programFile, false) ? 0 : 1;
}

int RunCommandLine(const CommandLine& line, std::ostream& out, std::ostream& err,
                   const WindowRunner& runWindow) {
    if (line.error) {
        err << "zepimport: " << *line.error << "\n" << Usage();
        return 2;
    }
    if (line.command == Command::Help) {
        out << Usage();
        return 0;
    }
    if (line.command == Command::Version) {
        out << "zepimport " << VersionNumberText(ProgramFileVersion()) << "\n";
        return 0;
    }
    if (line.command == Command::DriverHost) {
        return RunDriverHost();
    }
    if (line.command == Command::Window && !runWindow) {
        err << "zepimport: built without the window\n" << Usage();
        return 2;
    }
    if (line.command == Command::RemoveOwnAutostart) {
        return RemoveOwnAutostart(*CreateSessionAutostart(), ExecutablePath());
    }
    if (line.programDir) {
        const auto folder = PathFromUtf8(*line.programDir);
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            err << "zepimport: --program-dir: no such folder: " << *line.programDir << "\n";
            return 2;
        }
        SetProgramDirOverride(folder);
    }
    if (line.command == Command::Inspect) {
        return RunInspect(line.files, out);
    }
    if (line.command == Command::Replay) {
        return RunReplay(line.files.front(), out, err);
    }
    if (line.command == Command::Window) {
        return runWindow();
    }
    return RunHeadless();
}

}  // namespace zep
