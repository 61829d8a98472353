// Where the program lives: GetModuleFileNameW, so a folder of any script or length is found.
#include <mutex>
#include <optional>
#include <string>

#include "platform/program_path.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

std::mutex g_overrideMutex;
std::optional<std::filesystem::path> g_override;

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
