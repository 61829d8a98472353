// Reads the process's umask without changing it (umask() itself sets it, which another
// thread creating a file at that moment would suffer from).
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "platform/posix/file_mode.h"

namespace zep::posix {

namespace {

constexpr mode_t kReadWriteAll = 0666;
// What most systems set; used where /proc does not tell.
constexpr mode_t kUsualMask = 022;

mode_t ReadUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("Umask:")) {
            try {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
            } catch (...) {
                return kUsualMask;
            }
        }
    }
    return kUsualMask;
}

}  // namespace

mode_t DefaultFileMode() {
    return kReadWriteAll & ~ReadUmask();
}

}  // namespace zep::posix
