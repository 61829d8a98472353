#include <unistd.h>

#include <mutex>
#include <optional>
#include <system_error>

#include "platform/program_path.h"

namespace zep {

namespace {

std::mutex g_overrideMutex;
std::optional<std::filesystem::path> g_override;

std::filesystem::path ExecutablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path() / "zepimport";
    }
    return path;
}

}  // namespace

std::filesystem::path ProgramFile() {
    const auto executable = ExecutablePath();
    std::lock_guard guard(g_overrideMutex);
    if (g_override) {
        return *g_override / executable.filename();
    }
    return executable;
}

std::filesystem::path ProgramFolder() {
    return ProgramFile().parent_path();
}

void SetProgramDirOverride(const std::filesystem::path& folder) {
    std::lock_guard guard(g_overrideMutex);
    g_override = std::filesystem::absolute(folder);
}

std::filesystem::path SettingsFileFor(const std::filesystem::path& programFile) {
    auto settings = programFile;
    const std::string name = programFile.filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        settings.replace_filename(name + ".ini");
    } else {
        settings.replace_filename(name.substr(0, dot) + ".ini");
    }
    return settings;
}

}  // namespace zep
