// Which tty is COM<n> on Linux: the serial devices of /sys/class/tty numbered in a fixed order,
// and the user's COM<n> links, which win over those numbers.
#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <string>
#include <system_error>

#include "platform/config_home.h"
#include "platform/serial_device_map.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

// Numbers beyond this are not port numbers anyone types in a selector.
constexpr int kHighestPortNumber = 9999;

// The decimal number that makes up the whole rest of name after prefix, or -1.
int NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    int value = -1;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || value < 0 || value > kHighestPortNumber) {
        return -1;
    }
    return value;
}

// COM<n> links chosen by the user; only those whose target exists.
std::map<int, fs::path> LinkedPorts(const fs::path& folder) {
    std::map<int, fs::path> ports;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const int number = NumberAfter(name, "COM");
        if (number < 1 || !fs::exists(it->path(), error)) {
            continue;
        }
        ports.emplace(number, it->path());
    }
    return ports;
}

// A built-in UART slot without hardware behind it reports port type 0.
bool HasRealUart(const fs::path& ttyEntry) {
    std::error_code error;
    if (!fs::exists(ttyEntry / "device", error)) {
        return false;
    }
    std::ifstream type(ttyEntry / "type");
    int value = -1;
    if (type >> value) {
        return value != 0;
    }
    return true;
}

struct AutomaticScan {
    std::map<int, fs::path> builtIn;            // number -> device
    std::vector<std::pair<int, fs::path>> usb;  // (index, device) of ttyUSB<k>
    std::vector<std::pair<int, fs::path>> acm;  // (index, device) of ttyACM<k>
    int builtInSlots = 0;                       // ttyS<k> slots listed, present or not
};

AutomaticScan ScanTtyClass(const SerialDeviceSources& sources) {
    AutomaticScan scan;
    std::error_code error;
    for (fs::directory_iterator it(sources.sysClassTty, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const fs::path device = sources.devFolder / name;
        if (const int k = NumberAfter(name, "ttyS"); k >= 0) {
            scan.builtInSlots = std::max(scan.builtInSlots, k + 1);
            if (HasRealUart(it->path())) {
                scan.builtIn.emplace(k + 1, device);
            }
        } else if (const int u = NumberAfter(name, "ttyUSB"); u >= 0) {
            if (fs::exists(it->path() / "device", error)) {
                scan.usb.emplace_back(u, device);
            }
        } else if (const int a = NumberAfter(name, "ttyACM"); a >= 0) {
            if (fs::exists(it->path() / "device", error)) {
                scan.acm.emplace_back(a, device);
            }
        }
    }
    std::sort(scan.usb.begin(), scan.usb.end());
    std::sort(scan.acm.begin(), scan.acm.end());
    return scan;
}

}  // namespace

SerialDeviceSources DefaultSerialDeviceSources() {
    return {"/sys/class/tty", "/dev", ConfigHome() / "zepimport" / "ports"};
}

std::vector<SerialDevice> ListSerialDevicesFrom(const SerialDeviceSources& sources) {
    std::map<int, fs::path> numbered = LinkedPorts(sources.linkFolder);
    const AutomaticScan scan = ScanTtyClass(sources);
    for (const auto& [number, device] : scan.builtIn) {
        numbered.emplace(number, device);  // a link of the same number stays
    }
    // Adapters plugged in later take the numbers after every built-in slot, USB before ACM.
    int next = scan.builtInSlots + 1;
    for (const auto* adapters : {&scan.usb, &scan.acm}) {
        for (const auto& entry : *adapters) {
            if (next <= kHighestPortNumber) {
                numbered.emplace(next, entry.second);
            }
            ++next;
        }
    }
    std::vector<SerialDevice> devices;
    for (const auto& [number, device] : numbered) {
        devices.push_back({number, device});
    }
    return devices;
}

std::vector<SerialDevice> ListSerialDevices() {
    return ListSerialDevicesFrom(DefaultSerialDeviceSources());
}

std::optional<fs::path> FindSerialDevice(int number) {
    for (const auto& device : ListSerialDevices()) {
        if (device.number == number) {
            return device.device;
        }
    }
    return std::nullopt;
}

}  // namespace zep
