#pragma once
// The command line shared by zep-sim, tessal-sim and kolvar-sim: what to serve, where, with which
// faults; the run until a signal or the asked number of sessions.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/sim/device_sim.h"

namespace zep::sim {

enum class DeviceKind { Zep, Tessal, Kolvar };

enum class DeleteMode {
    Keep,    // deletions and marks change only what the device holds while it runs
    Remove,  // served from a folder: the deleted item's file is removed from the folder too
    Refuse,  // the device answers deletions and marks with its error reply
};

struct ProgramSettings {
    std::optional<std::string> folder;
    int generate = 5;
    unsigned seed = 1;
    std::optional<std::string> port;  // serve this tty instead of a new pseudo-terminal
    std::optional<int> com;           // make COM<n> in the port folder point at the line
    std::vector<SimFault> faults;
    bool pace = false;
    DeleteMode deleteMode = DeleteMode::Keep;
    int announceEverySeconds = 0;
    bool reannounce = false;
    int reannounceMs = 1000;  // after the end of a session
    int sessions = 0;         // 0 = until a signal
    std::size_t chunkSize = 4096;
    std::string version = "0.97";
    std::size_t volumeSize = 8192;
};

enum class ParseOutcome { Run, Help, Error };

ParseOutcome ParseProgramArguments(DeviceKind kind, const std::vector<std::string>& arguments,
                                   ProgramSettings& settings, std::string& error);
std::string UsageText(DeviceKind kind);

// The options a device built from these settings runs with: events printed, deletions applied
// to the folder as the delete mode says.
SimOptions OptionsFor(DeviceKind kind, const ProgramSettings& settings);

// Starts the device, makes the COM link, prints what happens, and returns the exit status once
// a signal came, the sessions were served or the line is gone.
int RunDevice(DeviceSim& device, const ProgramSettings& settings);

// A line on standard output with the time of day, from any thread.
void PrintLine(const std::string& text);

// $XDG_CONFIG_HOME/zepimport/ports/COM<number>, the link by which the program finds a port.
std::filesystem::path ComLink(int number);
// Points the link at the target; false when a file that is not a link stands there.
bool MakeComLink(const std::filesystem::path& link, const std::string& target);
// Removes the link only while it still points at the target (another tool may have taken it).
void RemoveComLink(const std::filesystem::path& link, const std::string& target);

}  // namespace zep::sim
