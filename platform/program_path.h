#pragma once
// Where the program lives: its file and its folder (raw files, settings file, list layout).
// "--program-dir" gives the folder; otherwise it is the executable's folder, or, where files
// cannot be created there (an installed program), $XDG_DATA_HOME/zepimport.
#include <filesystem>

#include "platform/program_folder.h"

namespace zep {

// The program file as the settings file and the list layout are named from it: the
// executable's name in the program folder.
std::filesystem::path ProgramFile();
std::filesystem::path ProgramFolder();
// The program folder and why it is the one; a folder in the data home is created here.
ProgramFolderChoice ProgramFolderInUse();
void SetProgramDirOverride(const std::filesystem::path& folder);

// The executable the program is known by: the running executable's own path, unless it was
// given. The window program is started by the launcher in the launcher's place, and is given
// the launcher's path, so that the program folder, the settings file's name and the autostart
// entry stay the launcher's.
std::filesystem::path ExecutablePath();
void SetExecutablePathOverride(const std::filesystem::path& file);

// The running executable's own path, as the backend finds it (a name in the current folder when
// the system does not say).
std::filesystem::path RunningExecutablePath();

// The settings file: the program file with its extension replaced by ".ini"; the extension is
// taken from the file name only, and a name without one gets ".ini" appended.
std::filesystem::path SettingsFileFor(const std::filesystem::path& programFile);

}  // namespace zep
