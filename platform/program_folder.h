#pragma once
// Where raw files, the settings file and the list layout live: the folder given on the command
// line, else the folder of the executable where files can be created in it and no installer
// put it there, else a folder in the user's data home. An installed program's folder belongs
// to its package: an upgrade or a removal must never meet the user's data in it.
#include <filesystem>
#include <optional>

namespace zep {

enum class ProgramFolderSource { Given, Executable, DataHome };

struct ProgramFolderChoice {
    std::filesystem::path folder;
    ProgramFolderSource source = ProgramFolderSource::Executable;
};

// The name of the program's folder under the data home.
inline constexpr const char* kDataHomeFolder = "zepimport";
// Laid beside the executable by an installation package (the Windows Installer package): the
// executable's folder is then never the program folder, even where the user may write in it.
inline constexpr const char* kInstalledMarker = "zepimport.installed";

ProgramFolderChoice ChooseProgramFolder(const std::optional<std::filesystem::path>& given,
                                        const std::filesystem::path& executableFolder,
                                        bool executableFolderUsable,
                                        const std::filesystem::path& dataHome);

// Whether the executable's folder may hold the program's data: no package installed it, and a
// file can be created in it.
bool ExecutableFolderUsable(const std::filesystem::path& folder);

// Whether a file can be created in the folder, found by creating and removing a probe file:
// permission bits alone would say yes to the superuser and miss read-only mounts and ACLs.
bool CanCreateFilesIn(const std::filesystem::path& folder);

}  // namespace zep
