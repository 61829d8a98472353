#pragma once
// Which tty is COM<n>: the serial devices present in /sys/class/tty, numbered automatically
// (ttyS<k> is COM<k+1>; USB and ACM adapters after the range of the built-in ports), and the
// symlinks named COM<n> in $XDG_CONFIG_HOME/zepimport/ports/, which may point at any tty
// (pseudo-terminals included) and win over the automatic numbers.
#include <filesystem>
#include <optional>
#include <vector>

namespace zep {

struct SerialDevice {
    int number = 0;                // n of COM<n>
    std::filesystem::path device;  // the tty to open
};

// Where the devices are looked for; replaceable so the numbering can be tested on a made-up tree.
struct SerialDeviceSources {
    std::filesystem::path sysClassTty;  // /sys/class/tty
    std::filesystem::path devFolder;    // /dev
    std::filesystem::path linkFolder;   // $XDG_CONFIG_HOME/zepimport/ports
};
SerialDeviceSources DefaultSerialDeviceSources();

// Every mapped device, by ascending number; a number appears once (a COM<n> link wins).
std::vector<SerialDevice> ListSerialDevices();
std::vector<SerialDevice> ListSerialDevicesFrom(const SerialDeviceSources& sources);
// The tty of COM<number>, or nullopt when no device has that number.
std::optional<std::filesystem::path> FindSerialDevice(int number);

}  // namespace zep
