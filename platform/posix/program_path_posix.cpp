// The program file and folder from /proc/self/exe, the command line's folder or the data home.
#include <mutex>
#include <optional>
#include <system_error>

#include "platform/config_home.h"
#include "platform/program_path.h"

namespace zep {

namespace {

std::mutex g_folderMutex;
std::optional<std::filesystem::path> g_override;
// Decided once: the probe writes to the disk, and the folder must not change under a run.
std::optional<ProgramFolderChoice> g_choice;

std::filesystem::path ExecutablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path() / "zepimport";
    }
    return path;
}

}  // namespace

ProgramFolderChoice ProgramFolderInUse() {
    std::lock_guard guard(g_folderMutex);
    if (!g_choice) {
        const auto executableFolder = ExecutablePath().parent_path();
        const bool writable = !g_override && CanCreateFilesIn(executableFolder);
        g_choice = ChooseProgramFolder(g_override, executableFolder, writable, DataHome());
        if (g_choice->source == ProgramFolderSource::DataHome) {
            std::error_code error;
            std::filesystem::create_directories(g_choice->folder, error);
        }
    }
    return *g_choice;
}

std::filesystem::path ProgramFile() {
    return ProgramFolderInUse().folder / ExecutablePath().filename();
}

std::filesystem::path ProgramFolder() {
    return ProgramFolderInUse().folder;
}

void SetProgramDirOverride(const std::filesystem::path& folder) {
    std::lock_guard guard(g_folderMutex);
    g_override = std::filesystem::absolute(folder);
    g_choice.reset();
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
