// Who may open the tty of a COM port: its group (from the device), and whether the user running
// the program is in that group now, only in the group database (joined after logging in), or
// not at all.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/path_text.h"
#include "platform/port_reason.h"
#include "platform/serial_device_map.h"

namespace zep {

namespace {

using Membership = DeviceGroupAccess::Membership;

// The user's name as the group tools take it; the shell's $USER where the database has none.
std::string UserName() {
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    const char* variable = std::getenv("USER");
    return variable != nullptr && *variable != '\0' ? variable : "$USER";
}

bool ProcessHasGroup(gid_t group) {
    if (getegid() == group) {
        return true;
    }
    const int count = getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 &&
           std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

// In the group database: the user's own group, or listed among its members.
bool DatabaseHasUser(const group& entry, const std::string& user) {
    if (const passwd* account = getpwnam(user.c_str());
        account != nullptr && account->pw_gid == entry.gr_gid) {
        return true;
    }
    for (char** member = entry.gr_mem; member != nullptr && *member != nullptr; ++member) {
        if (user == *member) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string PortDeviceName(int port) {
    const auto device = FindSerialDevice(port);
    if (!device) {
        return "COM" + std::to_string(port);
    }
    std::error_code error;
    const auto target = std::filesystem::canonical(*device, error);
    return PathToUtf8(error ? *device : target);
}

std::optional<DeviceGroupAccess> PortGroupAccess(int port) {
    const auto device = FindSerialDevice(port);
    struct stat status {};
    if (!device || stat(device->c_str(), &status) != 0) {
        return std::nullopt;
    }
    // Joining the group helps only where the group may read and write, and root's group is no
    // group to join for a device.
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    const group* entry = getgrgid(status.st_gid);
    if ((status.st_mode & kGroupReadWrite) != kGroupReadWrite || status.st_gid == 0 ||
        entry == nullptr || entry->gr_name == nullptr) {
        return std::nullopt;
    }
    DeviceGroupAccess access;
    access.group = entry->gr_name;
    access.user = UserName();
    access.membership = ProcessHasGroup(status.st_gid)         ? Membership::Inside
                        : DatabaseHasUser(*entry, access.user) ? Membership::JoinedSinceLogin
                                                               : Membership::Outside;
    return access;
}

}  // namespace zep
