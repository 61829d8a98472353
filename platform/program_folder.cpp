// Picks the program folder and probes whether files can be created in a folder.
#include "platform/program_folder.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace zep {

ProgramFolderChoice ChooseProgramFolder(const std::optional<std::filesystem::path>& given,
                                        const std::filesystem::path& executableFolder,
                                        bool executableFolderUsable,
                                        const std::filesystem::path& dataHome) {
    if (given) {
        return {*given, ProgramFolderSource::Given};
    }
    if (executableFolderUsable) {
        return {executableFolder, ProgramFolderSource::Executable};
    }
    return {dataHome / kDataHomeFolder, ProgramFolderSource::DataHome};
}

bool ExecutableFolderUsable(const std::filesystem::path& folder) {
    std::error_code error;
    return !std::filesystem::exists(folder / kInstalledMarker, error) && CanCreateFilesIn(folder);
}

bool CanCreateFilesIn(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return false;
    }
    // A random name: two copies starting together must not remove each other's probe.
    std::random_device random;
    const auto probe = folder / (".zepimport-probe-" + std::to_string(random()));
    bool created = false;
    {
        std::ofstream file(probe, std::ios::binary);
        created = file.is_open();
    }
    if (created) {
        std::filesystem::remove(probe, error);
    }
    return created;
}

}  // namespace zep
