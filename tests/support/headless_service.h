#pragma once
// The service as a user runs it: zepimport --headless in a folder of its own (program/ as the
// program folder, config/ as XDG_CONFIG_HOME, import/ as the dispatch system's import folder),
// driven by a shell script that starts devices, inserts cards and ends it with a signal.
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zep::test {

// The built programs (zepimport, the simulators, cardgen) and the sample drivers.
std::string BinaryFolder();
std::string DriverFolder();

// What happens around one run; the setters chain: ServiceScript().Before(...).WaitUntil(...).
struct ServiceScript {
    std::string environment;  // extra "NAME='value'" words for the export line
    std::string before;       // shell lines run before the service starts (a device)
    std::string afterStart;   // shell lines run once it says it runs (a card appears)
    // The shell condition that says it runs: its start note, or what a test watches for when
    // the start itself is held up.
    std::string started = "grep -q 'SIGTERM ends it' err.txt";
    std::string waitUntil;  // shell condition waited for, up to 30 s, before the signal
    std::string signal = "TERM";
    std::string output = "out.txt";  // where the service's standard output goes
    // Kill the service when its resident memory passes 1 GB: a test of a memory bound must not
    // take the machine down when the bound is broken.
    bool guardMemory = false;

    ServiceScript& Environment(std::string text) { return Set(environment, std::move(text)); }
    ServiceScript& Before(std::string text) { return Set(before, std::move(text)); }
    ServiceScript& AfterStart(std::string text) { return Set(afterStart, std::move(text)); }
    ServiceScript& StartedWhen(std::string text) { return Set(started, std::move(text)); }
    ServiceScript& WaitUntil(std::string text) { return Set(waitUntil, std::move(text)); }
    ServiceScript& Signal(std::string text) { return Set(signal, std::move(text)); }
    ServiceScript& Output(std::string file) { return Set(output, std::move(file)); }
    ServiceScript& GuardMemory() {
        guardMemory = true;
        return *this;
    }

private:
    ServiceScript& Set(std::string& field, std::string text) {
        field = std::move(text);
        return *this;
    }
};

struct HeadlessRun {
    int status = -1;             // exit status of zepimport, -1 when the script itself failed
    bool aliveAtSignal = false;  // the service still ran when the signal was sent
    long peakKb = -1;            // its peak resident memory (VmHWM) when the signal was sent
    // Tenths of a second from the signal to its end; a service still running after 30 s is
    // killed, and this is 300.
    int endTenths = -1;
    std::string out;
    std::string err;
};

// Creates dir/program and dir/config and runs the script in dir. The condition waits are
// bounded; they only wait for the program to get somewhere.
HeadlessRun RunHeadless(const TempDir& dir, const ServiceScript& script);

// Shell lines that repeat the condition every 0.1 s until it holds, at most 30 s.
std::string WaitFor(const std::string& condition);
// A shell condition: the service's standard output holds the text.
std::string OutputHas(const std::string& text);
// A shell condition: at least count lines of the service's standard output hold the text.
std::string OutputHasTimes(const std::string& text, int count);
// A shell condition: the folder (relative to the test folder) holds at least count files whose
// names end in the extension.
std::string FolderHolds(const std::string& folder, const std::string& extension, int count);

// Shell lines starting a simulator program (zep-sim, tessal-sim, kolvar-sim, zep-demo-devices)
// with the arguments and --com port, waiting until its COM link exists; it is killed when the
// script ends. Its output goes to sim.txt.
std::string StartDevice(const std::string& program, const std::string& arguments, int port);

// The dispatch system's values: the sample drivers and dir/import as the import folder.
void ConfigureDispatch(const TempDir& dir);
// The settings file in the program folder.
void WriteSettings(const TempDir& dir, const std::string& text);

// Raw files (".bia", ".bil", ".bin") in the program folder; import files (".imp") in the
// import folder.
std::vector<std::string> RawFiles(const TempDir& dir);
std::vector<std::string> ImportFiles(const TempDir& dir);

// The header values of an import file: the lines between "[DEVICE]" and "[DEVICE_END]" as
// key=value pairs, the values byte-exact (Windows-1251).
std::string ImportHeaderValue(const std::string& importText, const std::string& key);

}  // namespace zep::test
