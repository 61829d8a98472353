// On Windows a COM port is named by its number, and no group decides who may open it.
#include "platform/port_reason.h"

namespace zep {

std::string PortDeviceName(int port) {
    return "COM" + std::to_string(port);
}

std::optional<DeviceGroupAccess> PortGroupAccess(int /*port*/) {
    return std::nullopt;
}

}  // namespace zep
