// zep-demo-devices: one serial port (COM<n>) into which a ZEP adapter, a Tessal collector and a
// Kolvar device (or the ones named by --devices, in that order) are plugged one after another,
// each staying until its session with the program has ended. It lets a person watch every kind
// of exchange on a machine without devices, and the tests run sessions back to back with it.
// The port stays open until SIGINT or SIGTERM.
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/common/exit_request.h"
#include "tools/demo/line_relay.h"
#include "tools/sim/sim_content.h"
#include "tools/sim/sim_program.h"

namespace {

using namespace zep;
using namespace zep::sim;
using zep::tools::ExitSignalReceived;
using zep::tools::InstallExitSignals;

struct Options {
    int com = 1;
    int count = 3;
    unsigned seed = 1;
    int sessionTimeoutSeconds = 120;
    std::vector<std::string> devices{"zep", "tessal", "kolvar"};
};

// A comma-separated list of zep, tessal and kolvar; false for an empty list or another name.
bool ParseDevices(const std::string& text, std::vector<std::string>& devices) {
    devices.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string name = text.substr(start, comma - start);
        if (name != "zep" && name != "tessal" && name != "kolvar") {
            return false;
        }
        devices.push_back(name);
        if (comma == std::string::npos) {
            return true;
        }
        start = comma + 1;
    }
}

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        if (option == "--devices") {
            if (!ParseDevices(argv[++i], options.devices)) {
                return false;
            }
            continue;
        }
        const int value = std::atoi(argv[++i]);
        if (option == "--com" && value > 0) {
            options.com = value;
        } else if (option == "--count" && value > 0) {
            options.count = value;
        } else if (option == "--seed") {
            options.seed = static_cast<unsigned>(value);
        } else if (option == "--timeout" && value > 0) {
            options.sessionTimeoutSeconds = value;
        } else {
            return false;
        }
    }
    return true;
}

SimOptions DeviceOptions(const std::string& name) {
    SimOptions options;
    options.onEvent = [name](const std::string& text) { PrintLine(name + ": " + text); };
    return options;
}

std::unique_ptr<DeviceSim> Device(const std::string& name, const Options& options) {
    if (name == "zep") {
        return std::make_unique<ZepAdapterSim>(GenerateZepFiles(options.count, options.seed),
                                               DeviceOptions("ZEP adapter"));
    }
    if (name == "tessal") {
        return std::make_unique<TessalCollectorSim>(
            GenerateTessalDatabase(options.count, options.seed), DeviceOptions("Tessal collector"));
    }
    return std::make_unique<KolvarDeviceSim>(GenerateKolvarRecords(options.count, options.seed),
                                             DeviceOptions("Kolvar device"));
}

std::vector<std::unique_ptr<DeviceSim>> Devices(const Options& options) {
    std::vector<std::unique_ptr<DeviceSim>> devices;
    for (const auto& name : options.devices) {
        devices.push_back(Device(name, options));
    }
    return devices;
}

// Keeps the device plugged in until its session has ended (or the time is up); false when the
// demo was stopped or the line broke.
bool Serve(demo::LineRelay& relay, DeviceSim& device, int timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (device.SessionsEnded() == 0) {
        if (ExitSignalReceived() || !relay.Pump(10)) {
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            PrintLine("no session within " + std::to_string(timeoutSeconds) + " s");
            return false;
        }
    }
    // Let the last bytes of the session reach the program before the cable is pulled.
    for (int i = 0; i < 50; ++i) {
        relay.Pump(10);
    }
    return true;
}

constexpr const char* kUsage =
    "usage: zep-demo-devices [--com N] [--count ITEMS] [--seed N] [--timeout S]\n"
    "                        [--devices zep,tessal,kolvar]\n";

bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AsksForHelp(argc, argv)) {
        std::cout << kUsage;
        return 0;
    }
    Options options;
    if (!Parse(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    demo::LineRelay relay;
    if (!relay.Open()) {
        std::cerr << "cannot open a pseudo-terminal\n";
        return 1;
    }
    const auto link = ComLink(options.com);
    if (!MakeComLink(link, relay.PortPath())) {
        std::cerr << "cannot make " << link.string() << "\n";
        return 1;
    }
    PrintLine("COM" + std::to_string(options.com) + " is " + relay.PortPath());
    InstallExitSignals();

    const auto devices = Devices(options);
    int served = 0;
    for (const auto& device : devices) {
        if (ExitSignalReceived() || !device->Start() || !relay.Plug(device->SlavePath())) {
            break;
        }
        const bool ok = Serve(relay, *device, options.sessionTimeoutSeconds);
        relay.Unplug();
        device->Stop();
        if (!ok) {
            break;
        }
        ++served;
        PrintLine("device unplugged");
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    const int total = static_cast<int>(devices.size());
    PrintLine("served " + std::to_string(served) + " of " + std::to_string(total) + " devices");
    // The port stays, empty, until the demo ends: a port that vanished under the program would
    // only add an error line to its closing steps.
    while (!ExitSignalReceived()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    RemoveComLink(link, relay.PortPath());
    return served == total ? 0 : 1;
}
