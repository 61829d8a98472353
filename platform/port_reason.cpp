// The words of the reason why a serial port cannot be opened: the one home of the group hint.
#include "platform/port_reason.h"

namespace zep {

std::optional<std::string> PortReasonLine(int port, const SystemError& error) {
    if (!error.Known()) {
        return std::nullopt;
    }
    const std::optional<DeviceGroupAccess> access =
        KindOf(error) == FailureKind::NoAccess ? PortGroupAccess(port) : std::nullopt;
    return AsReasonLine(PortReasonText(error, PortDeviceName(port), access));
}

std::string PortReasonText(const SystemError& error, const std::string& device,
                           const std::optional<DeviceGroupAccess>& access) {
    using Membership = DeviceGroupAccess::Membership;
    if (!access || access->membership == Membership::Inside ||
        KindOf(error) != FailureKind::NoAccess) {
        return device + ": " + ReasonText(error);
    }
    const std::string& user = access->user;
    const std::string& group = access->group;
    if (access->membership == Membership::JoinedSinceLogin) {
        return "нет доступа к " + device + ": пользователь " + user + " добавлен в группу " +
               group + " после входа в систему; выйдите из системы и войдите заново";
    }
    return "нет доступа к " + device + ": пользователь " + user + " не в группе " + group +
           " (sudo usermod -aG " + group + " " + user + ", затем войти заново)";
}

}  // namespace zep
