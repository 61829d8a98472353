#pragma once
// What the soak run's devices and cards hold: every archive under a serial number of its own,
// so that its import file can be told from all others and counted.
#include <cstdint>
#include <string>
#include <vector>

namespace zep::soak {

enum class Kind { Zep, Tessal, Kolvar };

struct Item {
    std::string name;  // file name for a folder; the source name the device reports deletions by
    std::vector<std::uint8_t> bytes;
};

// A ZEP meter archive (.zep, also what a card holds), a Tessal assembled archive (.bin) or a
// Kolvar record, with a few days of hourly readings that differ from serial to serial.
Item Archive(Kind kind, int serial);

}  // namespace zep::soak
