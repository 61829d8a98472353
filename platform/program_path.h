#pragma once
// Where the program lives: its file and its folder (raw files, settings file, list layout).
// "--program-dir" replaces the folder for installs whose executable folder is not writable.
#include <filesystem>

namespace zep {

std::filesystem::path ProgramFile();
std::filesystem::path ProgramFolder();
void SetProgramDirOverride(const std::filesystem::path& folder);

// The settings file: the program file with its extension replaced by ".ini"; the extension is
// taken from the file name only, and a name without one gets ".ini" appended.
std::filesystem::path SettingsFileFor(const std::filesystem::path& programFile);

}  // namespace zep
