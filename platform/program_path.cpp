// The program folder decided once per run from the executable's path, which the backend finds
// or the launcher gives, and the settings file named after the program file.
#include "platform/program_path.h"

#include <mutex>
#include <optional>
#include <system_error>

#include "platform/config_home.h"

namespace zep {

namespace {

std::mutex g_folderMutex;
std::optional<std::filesystem::path> g_override;
std::optional<std::filesystem::path> g_executable;
// Decided once: the probe writes to the disk, and the folder must not change under a run.
std::optional<ProgramFolderChoice> g_choice;

// With g_folderMutex held.
std::filesystem::path KnownExecutable() {
    return g_executable ? *g_executable : RunningExecutablePath();
}

}  // namespace

ProgramFolderChoice ProgramFolderInUse() {
    std::lock_guard guard(g_folderMutex);
    if (!g_choice) {
        const auto executableFolder = KnownExecutable().parent_path();
        const bool usable = !g_override && ExecutableFolderUsable(executableFolder);
        g_choice = ChooseProgramFolder(g_override, executableFolder, usable, DataHome());
        if (g_choice->source == ProgramFolderSource::DataHome) {
            std::error_code error;
            std::filesystem::create_directories(g_choice->folder, error);
        }
    }
    return *g_choice;
}

std::filesystem::path ExecutablePath() {
    std::lock_guard guard(g_folderMutex);
    return KnownExecutable();
}

void SetExecutablePathOverride(const std::filesystem::path& file) {
    std::lock_guard guard(g_folderMutex);
    g_executable = std::filesystem::absolute(file);
    g_choice.reset();
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
    // In the system's own characters throughout (wide on Windows): a detour through narrow
    // text would lose the letters of other scripts.
    const std::filesystem::path::string_type name = programFile.filename().native();
    const auto dot = name.rfind(std::filesystem::path::value_type{'.'});
    std::filesystem::path stem = dot == name.npos || dot == 0 ? name : name.substr(0, dot);
    settings.replace_filename(stem += ".ini");
    return settings;
}

}  // namespace zep
