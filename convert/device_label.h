#pragma once
// The device label names a raw file that is kept after its conversion: three values joined
// with "_", every "." turned into a space and every "/" into "-", so the new name ends in no
// raw-file extension and stays inside its folder.
#include <string>

namespace zep {

std::string MakeDeviceLabel(const std::string& type, const std::string& serial,
                            const std::string& virtualDevices);

}  // namespace zep
