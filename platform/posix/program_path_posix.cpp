// The executable's path from /proc/self/exe.
#include <system_error>

#include "platform/program_path.h"

namespace zep {

std::filesystem::path RunningExecutablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path() / "zepimport";
    }
    return path;
}

}  // namespace zep
