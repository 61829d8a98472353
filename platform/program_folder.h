#pragma once
// Where raw files, the settings file and the list layout live: the folder given on the command
// line, else the folder of the executable where files can be created in it, else a folder in
// the user's data home (an installed program's folder belongs to the system).
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

ProgramFolderChoice ChooseProgramFolder(const std::optional<std::filesystem::path>& given,
                                        const std::filesystem::path& executableFolder,
                                        bool executableFolderWritable,
                                        const std::filesystem::path& dataHome);

// Whether a file can be created in the folder, found by creating and removing a probe file:
// permission bits alone would say yes to the superuser and miss read-only mounts and ACLs.
bool CanCreateFilesIn(const std::filesystem::path& folder);

}  // namespace zep
