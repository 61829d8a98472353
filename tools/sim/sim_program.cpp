// The command line and the run shared by zep-sim, tessal-sim and kolvar-sim: what to serve,
// where, with which faults, until a signal or the asked number of sessions.
#include "tools/sim/sim_program.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

#include "tools/common/config_home.h"
#include "tools/common/exit_request.h"

namespace zep::sim {

namespace {

std::optional<long> Number(const std::string& text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::string DeleteCommand(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Zep:
            return "-";
        case DeviceKind::Tessal:
            return "delete archive";
        case DeviceKind::Kolvar:
            return "DELETE RECORD";
    }
    return {};
}

const char* ProgramName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Zep:
            return "zep-sim";
        case DeviceKind::Tessal:
            return "tessal-sim";
        case DeviceKind::Kolvar:
            return "kolvar-sim";
    }
    return "sim";
}

// The options with a number; false (with the error) for an unknown option or a bad number.
bool SetNumber(DeviceKind kind, const std::string& option, const std::string& value,
               ProgramSettings& settings, std::string& error) {
    const auto number = Number(value);
    const bool positive = number && *number > 0;
    if (option == "--generate" && number) {
        settings.generate = static_cast<int>(*number);
    } else if (option == "--seed" && number) {
        settings.seed = static_cast<unsigned>(*number);
    } else if (option == "--com" && positive) {
        settings.com = static_cast<int>(*number);
    } else if (option == "--announce-every" && number) {
        settings.announceEverySeconds = static_cast<int>(*number);
    } else if (option == "--reannounce-after" && number) {
        settings.reannounce = true;
        settings.reannounceMs = static_cast<int>(*number);
    } else if (option == "--sessions" && number) {
        settings.sessions = static_cast<int>(*number);
    } else if (option == "--chunk" && kind == DeviceKind::Kolvar && positive) {
        settings.chunkSize = static_cast<std::size_t>(*number);
    } else if (option == "--volume-size" && kind == DeviceKind::Tessal && positive) {
        settings.volumeSize = static_cast<std::size_t>(*number);
    } else {
        error = "unknown option or bad value: " + option + " " + value;
        return false;
    }
    return true;
}

}  // namespace

std::filesystem::path ComLink(int number) {
    return tools::ConfigHome() / "zepimport" / "ports" / ("COM" + std::to_string(number));
}

bool MakeComLink(const std::filesystem::path& link, const std::string& target) {
    std::error_code error;
    std::filesystem::create_directories(link.parent_path(), error);
    const auto status = std::filesystem::symlink_status(link, error);
    if (std::filesystem::is_symlink(status)) {
        std::filesystem::remove(link, error);
    } else if (std::filesystem::exists(status)) {
        return false;  // not ours to replace
    }
    std::filesystem::create_symlink(target, link, error);
    return !error;
}

void RemoveComLink(const std::filesystem::path& link, const std::string& target) {
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, error)) &&
        std::filesystem::read_symlink(link, error) == target) {
        std::filesystem::remove(link, error);
    }
}

void PrintLine(const std::string& text) {
    static std::mutex mutex;
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    const auto time = std::chrono::hh_mm_ss(ms % std::chrono::days(1));
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d",
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()),
                  static_cast<int>(time.subseconds().count()));
    std::lock_guard guard(mutex);
    std::cout << stamp << " UTC  " << text << std::endl;
}

std::string UsageText(DeviceKind kind) {
    std::string text = std::string("Usage: ") + ProgramName(kind) + " [options]\n";
    switch (kind) {
        case DeviceKind::Zep:
            text +=
                "Simulates a ZEP adapter (prompt \"ZEP>\") holding meter archives (.zep) and\n"
                "printer protocols (.zvo).\n";
            break;
        case DeviceKind::Tessal:
            text +=
                "Simulates a collector running Tessal (prompt \"CL>\") holding archives of\n"
                "one or more volumes.\n";
            break;
        case DeviceKind::Kolvar:
            text += "Simulates a Kolvar device (prompt \"KLV10>\") holding numbered records.\n";
            break;
    }
    text +=
        "\n"
        "  --folder DIR         serve the content of DIR instead of a generated set\n";
    switch (kind) {
        case DeviceKind::Zep:
            text += "                       (every file, in name order, under its own name)\n";
            break;
        case DeviceKind::Tessal:
            text += "                       (every .bin assembled archive, split into volumes)\n";
            break;
        case DeviceKind::Kolvar:
            text += "                       (every file, in name order, is one record)\n";
            break;
    }
    text +=
        "  --generate COUNT     serve COUNT generated items (default 5)\n"
        "  --seed N             seed of the generated set (default 1)\n"
        "  --port PATH          serve an existing tty instead of a new pseudo-terminal\n"
        "  --com N              point $XDG_CONFIG_HOME/zepimport/ports/COM<N> at the line\n"
        "  --fault SPEC         commit a fault, repeatable; SPEC is\n"
        "                       KIND[,cmd=TEXT][,skip=N][,times=N|always][,at=N] with KIND one of\n"
        "                       silence, badcrc, badheadercrc, badstatus, truncate, error,\n"
        "                       missingkey, garbage, unplug, refusespeed, endless\n"
        "  --pace               send at the line rate of the speed in force\n"
        "  --delete-mode MODE   keep (default), remove (from --folder too) or refuse\n"
        "  --announce-every S   repeat the prompt every S seconds while idle\n"
        "  --reannounce         announce again 1 s after a session has ended\n"
        "  --reannounce-after MS  announce again MS milliseconds after a session has ended\n"
        "  --sessions N         stop after N sessions (default: run until SIGINT/SIGTERM)\n";
    if (kind == DeviceKind::Kolvar) {
        text += "  --chunk BYTES        data bytes per chunk frame (default 4096)\n";
    }
    if (kind == DeviceKind::Tessal) {
        text +=
            "  --version TEXT       program version to report (default 0.97)\n"
            "  --volume-size BYTES  largest volume when splitting archives (default 8192)\n";
    }
    text += "  --help               show this text\n";
    return text;
}

ParseOutcome ParseProgramArguments(DeviceKind kind, const std::vector<std::string>& arguments,
                                   ProgramSettings& settings, std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h") {
            return ParseOutcome::Help;
        }
        if (option == "--pace") {
            settings.pace = true;
            continue;
        }
        if (option == "--reannounce") {
            settings.reannounce = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = "unknown option or missing value: " + option;
            return ParseOutcome::Error;
        }
        const std::string& value = arguments[++i];
        if (option == "--folder") {
            settings.folder = value;
        } else if (option == "--port") {
            settings.port = value;
        } else if (option == "--fault") {
            const auto fault = ParseFault(value);
            if (!fault) {
                error = "bad fault: " + value;
                return ParseOutcome::Error;
            }
            settings.faults.push_back(*fault);
        } else if (option == "--delete-mode") {
            if (value == "keep") {
                settings.deleteMode = DeleteMode::Keep;
            } else if (value == "remove") {
                settings.deleteMode = DeleteMode::Remove;
            } else if (value == "refuse") {
                settings.deleteMode = DeleteMode::Refuse;
            } else {
                error = "bad delete mode: " + value;
                return ParseOutcome::Error;
            }
        } else if (option == "--version" && kind == DeviceKind::Tessal) {
            settings.version = value;
        } else if (!SetNumber(kind, option, value, settings, error)) {
            return ParseOutcome::Error;
        }
    }
    return ParseOutcome::Run;
}

SimOptions OptionsFor(DeviceKind kind, const ProgramSettings& settings) {
    SimOptions options;
    options.pace = settings.pace;
    options.announceEveryMs = settings.announceEverySeconds * 1000;
    options.reannounceAfterSession = settings.reannounce;
    options.reannounceDelayMs = settings.reannounceMs;
    options.chunkSize = settings.chunkSize;
    options.faults = settings.faults;
    if (settings.deleteMode == DeleteMode::Refuse) {
        options.faults.push_back({FaultKind::ErrorReply, DeleteCommand(kind), 0, 0, -1});
    }
    options.onEvent = [](const std::string& text) { PrintLine(text); };
    if (settings.deleteMode == DeleteMode::Remove && settings.folder) {
        const std::filesystem::path folder = *settings.folder;
        options.onDeleted = [folder](const std::string& source) {
            std::error_code error;
            // Only a plain name of a file in the folder, never a path that leads elsewhere.
            const std::filesystem::path name(source);
            if (source.empty() || name.has_parent_path() || name.is_absolute()) {
                return;
            }
            if (std::filesystem::remove(folder / name, error)) {
                PrintLine("removed " + (folder / name).string());
            }
        };
    }
    return options;
}

int RunDevice(DeviceSim& device, const ProgramSettings& settings) {
    const bool started = settings.port ? device.StartOn(*settings.port) : device.Start();
    if (!started) {
        std::cerr << "cannot open "
                  << (settings.port ? *settings.port : std::string("a pseudo-terminal")) << "\n";
        return 1;
    }
    const std::string path = device.SlavePath();
    PrintLine("serving " + path);
    std::optional<std::filesystem::path> link;
    if (settings.com) {
        link = ComLink(*settings.com);
        if (!MakeComLink(*link, path)) {
            std::cerr << "cannot make " << link->string() << "\n";
            device.Stop();
            return 1;
        }
        PrintLine(link->string() + " -> " + path);
    }
    // SIGINT and SIGTERM end the loop instead of the process, so the line is closed and the link
    // removed.
    tools::InstallExitSignals();
    while (!tools::ExitSignalReceived() && device.Running() &&
           (settings.sessions == 0 || device.SessionsEnded() < settings.sessions)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    device.Stop();
    if (link) {
        RemoveComLink(*link, path);
    }
    PrintLine("stopped after " + std::to_string(device.SessionsEnded()) + " session(s)");
    return 0;
}

}  // namespace zep::sim
