#pragma once
// The title strings of an assembled archive that the conversion reads.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zep {

struct TitleStrings {
    std::string type;            // string 1: meter driver name, or "ZUVO" for a printer protocol
    std::string virtualDevices;  // string 2: list of virtual device numbers, such as 1,2,5
    std::string vname;           // string 3: name of the virtual device
    std::string serial;          // string 4: serial number
};

// nullopt when the file is shorter than its title area or the area holds fewer than the five
// strings 0 to 4. partial receives whatever of the four could be read.
std::optional<TitleStrings> ReadTitleStrings(std::span<const std::uint8_t> image,
                                             TitleStrings* partial = nullptr);

// Title strings 1, 4 and 2 joined into the device label.
std::string AssembledDeviceLabel(const TitleStrings& title);

}  // namespace zep
