// Where the program lives: GetModuleFileNameW, so a folder of any script or length is found;
// the command line's folder, or the user's local application data where the executable's
// folder takes no files (a program installed under Program Files).
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

#include "platform/config_home.h"
#include "platform/program_path.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

std::mutex g_folderMutex;
std::optional<std::filesystem::path> g_override;
// Decided once: the probe writes to the disk, and the folder must not change under a run.
std::optional<ProgramFolderChoice> g_choice;

std::filesystem::path ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::filesystem::current_path() / L"zepimport.exe";
        }
        // A full buffer may hold a cut name: ask again with more room.
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
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
    // Wide throughout: a narrow detour would lose the letters of other scripts.
    const std::wstring name = programFile.filename().wstring();
    const auto dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0) {
        settings.replace_filename(name + L".ini");
    } else {
        settings.replace_filename(name.substr(0, dot) + L".ini");
    }
    return settings;
}

}  // namespace zep
