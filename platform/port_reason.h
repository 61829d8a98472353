#pragma once
// The reason line after a port that could not be opened or set up: the device by its name and,
// for a device the user may not open, the group that may open it and how to join that group.
#include <optional>
#include <string>

#include "platform/system_error.h"

namespace zep {

// Who may open a serial device, as far as joining a group decides it.
struct DeviceGroupAccess {
    enum class Membership {
        Outside,           // the user is not in the group
        JoinedSinceLogin,  // the user is in the group now, but this program's login is older
        Inside,            // the program runs with the group: the group is not what keeps it out
    };
    std::string group;
    std::string user;
    Membership membership = Membership::Outside;
};

// "$04Причина: ..." for COM<port>; nullopt when the reason is unknown.
std::optional<std::string> PortReasonLine(int port, const SystemError& error);

// The line from what the backend found: the device's name and, where a group grants it read and
// write, that group and the user's place in it.
std::string PortReasonText(const SystemError& error, const std::string& device,
                           const std::optional<DeviceGroupAccess>& access);

// The backend's part: the device of COM<port> as the user knows it (the tty a COM link leads
// to, or "COM<n>"), and the group that may open it, where a group decides that.
std::string PortDeviceName(int port);
std::optional<DeviceGroupAccess> PortGroupAccess(int port);

}  // namespace zep
