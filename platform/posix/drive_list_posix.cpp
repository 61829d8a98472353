// Removable drives on Linux: mountinfo and sysfs, plus the folders listed in ZEPIMPORT_MEDIA_ROOTS.
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/drive_list.h"
#include "platform/posix/removable_mounts.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

// Mount points in mountinfo write space, tab, newline and backslash as octal escapes.
std::string DecodeMountField(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
            if (isOctal(field[i + 1]) && isOctal(field[i + 2]) && isOctal(field[i + 3])) {
                out.push_back(static_cast<char>(((field[i + 1] - '0') << 6) |
                                                ((field[i + 2] - '0') << 3) |
                                                (field[i + 3] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

bool FlagFileSaysOne(const fs::path& file) {
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

bool IsRemovableBlockDevice(const std::string& majorMinor, const fs::path& sysfsRoot) {
    std::error_code error;
    const fs::path device = sysfsRoot / "dev" / "block" / majorMinor;
    if (!fs::exists(device, error)) {
        return false;
    }
    const fs::path resolved = fs::weakly_canonical(device, error);
    if (error) {
        return false;
    }
    if (FlagFileSaysOne(resolved / "removable")) {
        return true;
    }
    // A partition carries no flag of its own; its disk is the folder above it.
    if (fs::exists(resolved / "partition", error) &&
        FlagFileSaysOne(resolved.parent_path() / "removable")) {
        return true;
    }
    // Card readers and sticks on USB often report fixed media; their transport tells.
    for (const auto& part : resolved) {
        if (part.string().rfind("usb", 0) == 0) {
            return true;
        }
    }
    return false;
}

std::string WithTrailingSlash(std::string root) {
    if (root.empty() || root.back() != '/') {
        root.push_back('/');
    }
    return root;
}

void AddOnce(std::vector<std::string>& roots, std::string root) {
    for (const auto& known : roots) {
        if (known == root) {
            return;
        }
    }
    roots.push_back(std::move(root));
}

}  // namespace

namespace posix {

std::vector<std::string> RemovableMountPoints(std::string_view mountInfo,
                                              const fs::path& sysfsRoot) {
    std::vector<std::string> roots;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id, parent id, major:minor, root, mount point, options ...
        std::istringstream fields(line);
        std::string id, parent, majorMinor, root, mountPoint;
        if (!(fields >> id >> parent >> majorMinor >> root >> mountPoint)) {
            continue;
        }
        if (IsRemovableBlockDevice(majorMinor, sysfsRoot)) {
            AddOnce(roots, WithTrailingSlash(DecodeMountField(mountPoint)));
        }
    }
    return roots;
}

std::vector<std::string> MediaRootsFromList(std::string_view value) {
    std::vector<std::string> roots;
    while (!value.empty()) {
        const auto colon = value.find(':');
        const std::string_view item = value.substr(0, colon);
        if (!item.empty()) {
            AddOnce(roots, WithTrailingSlash(std::string(item)));
        }
        if (colon == std::string_view::npos) {
            break;
        }
        value.remove_prefix(colon + 1);
    }
    return roots;
}

}  // namespace posix

std::vector<std::string> ListRemovableDriveRoots() {
    std::ifstream in("/proc/self/mountinfo");
    const std::string mountInfo((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> roots = posix::RemovableMountPoints(mountInfo, "/sys");
    if (const char* listed = std::getenv("ZEPIMPORT_MEDIA_ROOTS")) {
        for (auto& root : posix::MediaRootsFromList(listed)) {
            AddOnce(roots, std::move(root));
        }
    }
    return roots;
}

bool IsFolderPresent(const std::string& folder) {
    struct statvfs space {};
    struct stat info {};
    return !folder.empty() && statvfs(folder.c_str(), &space) == 0 &&
           stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace zep
