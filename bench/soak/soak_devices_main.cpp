// zep-soak-devices: the soak run's devices. One port (COM<n>) stays open while a ZEP adapter, a
// Tessal collector and a Kolvar device are plugged in turn behind it, each holding archives
// under serial numbers of their own; some commit a fault. A device that still holds archives
// after its session (an interrupted transfer) is plugged in again, as a user would, until it is
// empty or five plugs (or P) have been tried. A plug whose session never ends (the program
// killed in the middle) is pulled after a minute (or L seconds).
//   zep-soak-devices --com N --sessions S --seconds T --first-serial F [--fault-every E]
//                    [--plugs P] [--session-seconds L]
// Prints "offered <serial>" for every archive when its device is first plugged, "left <serial>"
// for those still on a device at the end, then a summary line. ZEP_SOAK_TRACE=1 in the
// environment prints the devices' events too.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/soak/soak_content.h"
#include "tools/common/exit_request.h"
#include "tools/demo/line_relay.h"
#include "tools/sim/sim_content.h"
#include "tools/sim/sim_options.h"
#include "tools/sim/sim_program.h"

namespace {

using namespace zep;
using zep::tools::ExitSignalReceived;
using zep::tools::InstallExitSignals;
using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t kVolumeSize = 8192;

struct Options {
    int com = 1;
    int sessions = 200;
    int seconds = 600;
    int firstSerial = 300000;
    int faultEvery = 4;
    int plugs = 5;  // per session, at most
    int sessionSeconds = 60;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (flag == "--com") {
            options.com = value;
        } else if (flag == "--sessions") {
            options.sessions = value;
        } else if (flag == "--seconds") {
            options.seconds = value;
        } else if (flag == "--first-serial") {
            options.firstSerial = value;
        } else if (flag == "--fault-every") {
            options.faultEvery = value;
        } else if (flag == "--plugs") {
            options.plugs = value;
        } else if (flag == "--session-seconds") {
            options.sessionSeconds = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && options.com > 0 && options.sessions >= 0 && options.faultEvery > 0 &&
           options.plugs > 0 && options.sessionSeconds > 0;
}

// The faults are aimed at the transfer of data and at the prompt, never at a deletion: a device
// that kept an archive the program had already saved would rightly be imported twice.
std::string FaultFor(soak::Kind kind, int number) {
    const char* data = kind == soak::Kind::Zep      ? ">"
                       : kind == soak::Kind::Tessal ? "download volume"
                                                    : "DOWNLOAD";
    switch (number % 4) {
        case 0:
            return std::string("unplug,at=300,cmd=") + data;
        case 1:
            return std::string("badcrc,cmd=") + data;
        case 2:
            return "garbage,cmd=prompt";
        default:
            return std::string("truncate,cmd=") + data;
    }
}

std::unique_ptr<sim::DeviceSim> MakeDevice(soak::Kind kind, const std::vector<soak::Item>& items,
                                           sim::SimOptions options) {
    if (kind == soak::Kind::Zep) {
        std::vector<sim::ZepFile> files;
        for (const auto& item : items) {
            files.push_back({item.name, item.bytes});
        }
        return std::make_unique<sim::ZepAdapterSim>(std::move(files), std::move(options));
    }
    if (kind == soak::Kind::Tessal) {
        sim::TessalDatabase database;
        for (const auto& item : items) {
            database.archives.push_back(
                {sim::SplitIntoVolumes(item.bytes, kVolumeSize), item.name});
        }
        return std::make_unique<sim::TessalCollectorSim>(std::move(database), std::move(options));
    }
    std::vector<sim::KolvarRecord> records;
    for (const auto& item : items) {
        records.push_back({item.bytes, item.name});
    }
    return std::make_unique<sim::KolvarDeviceSim>(std::move(records), std::move(options));
}

// Keeps the device plugged in until its session has ended, the line broke or the time is up.
void Serve(demo::LineRelay& relay, sim::DeviceSim& device, int seconds) {
    const auto deadline = SteadyClock::now() + std::chrono::seconds(seconds);
    while (device.SessionsEnded() == 0 && !ExitSignalReceived() && SteadyClock::now() < deadline) {
        if (!relay.Pump(10)) {
            break;
        }
    }
    // Let the last bytes of the session reach the program before the cable is pulled.
    for (int i = 0; i < 30; ++i) {
        relay.Pump(10);
    }
}

struct Tally {
    int sessions = 0;
    int plugs = 0;
    int faults = 0;
    int left = 0;
};

// One session's device, plugged until it holds nothing more. Returns the archives it kept.
std::vector<soak::Item> RunSession(demo::LineRelay& relay, soak::Kind kind,
                                   std::vector<soak::Item> items, const std::string& fault,
                                   const Options& limits, Tally& tally) {
    for (int plug = 0; plug < limits.plugs && !items.empty() && !ExitSignalReceived(); ++plug) {
        std::mutex mutex;
        std::set<std::string> deleted;
        sim::SimOptions options;
        if (std::getenv("ZEP_SOAK_TRACE")) {
            options.onEvent = [](const std::string& text) { sim::PrintLine(text); };
        }
        options.onDeleted = [&](const std::string& name) {
            std::lock_guard guard(mutex);
            deleted.insert(name);
        };
        if (plug == 0 && !fault.empty()) {
            options.faults.push_back(*sim::ParseFault(fault));
            ++tally.faults;
        }
        auto device = MakeDevice(kind, items, std::move(options));
        if (!device->Start() || !relay.Plug(device->SlavePath())) {
            break;
        }
        ++tally.plugs;
        Serve(relay, *device, limits.sessionSeconds);
        relay.Unplug();
        device->Stop();
        std::lock_guard guard(mutex);
        std::erase_if(items, [&](const soak::Item& item) { return deleted.count(item.name) > 0; });
        // The program's next idle tick comes before the next device, as with a person.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return items;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: zep-soak-devices --com N --sessions S --seconds T "
                     "--first-serial F [--fault-every E] [--plugs P] [--session-seconds L]\n");
        return 2;
    }
    demo::LineRelay relay;
    const auto link = sim::ComLink(options.com);
    if (!relay.Open() || !sim::MakeComLink(link, relay.PortPath())) {
        std::fprintf(stderr, "cannot open a pseudo-terminal as COM%d\n", options.com);
        return 1;
    }
    InstallExitSignals();
    const auto end = SteadyClock::now() + std::chrono::seconds(options.seconds);
    Tally tally;
    int serial = options.firstSerial;
    for (int session = 0; session < options.sessions; ++session) {
        if (ExitSignalReceived() || SteadyClock::now() >= end) {
            break;
        }
        const auto kind = static_cast<soak::Kind>(session % 3);
        std::vector<soak::Item> items;
        for (int i = 0; i < 1 + session % 3; ++i, ++serial) {
            items.push_back(soak::Archive(kind, serial));
            std::printf("offered %d\n", serial);
        }
        std::fflush(stdout);
        const bool faulty = session % options.faultEvery == options.faultEvery - 1;
        const std::string fault = faulty ? FaultFor(kind, session / options.faultEvery) : "";
        for (const auto& item : RunSession(relay, kind, std::move(items), fault, options, tally)) {
            std::printf("left %s\n", item.name.c_str());
            ++tally.left;
        }
        ++tally.sessions;
    }
    std::printf("sessions %d plugs %d faults %d left %d\n", tally.sessions, tally.plugs,
                tally.faults, tally.left);
    std::fflush(stdout);
    sim::RemoveComLink(link, relay.PortPath());
    return 0;
}
