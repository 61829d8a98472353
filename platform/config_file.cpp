// Configuration files read whole from plain files only, and never past a size no settings file
// reaches.
#include "platform/config_file.h"

#include <cstdint>

#include "platform/regular_file.h"

namespace zep {

ConfigFileText ReadConfigFile(const std::filesystem::path& file) {
    FileKind found = FileKind::Missing;
    const auto opened = OpenedRegularFile::OpenFollowingLinks(file, found);
    if (!opened) {
        switch (found) {
            case FileKind::Missing:
                return {ConfigFileState::Missing, {}};
            case FileKind::Regular:
                return {ConfigFileState::Unreadable, {}};
            case FileKind::Folder:
            case FileKind::Other:
                break;
        }
        return {ConfigFileState::NotPlainFile, {}};
    }
    if (opened->Size() > kMaxConfigFileBytes) {
        return {ConfigFileState::TooLarge, {}};
    }
    // Read to its end, not to the size seen at the open: a file that grew since is caught too.
    std::string text;
    std::uint8_t piece[4096];
    for (;;) {
        const auto count = opened->ReadAt(text.size(), piece);
        if (!count) {
            return {ConfigFileState::Unreadable, {}};
        }
        if (*count == 0) {
            break;
        }
        if (text.size() + *count > kMaxConfigFileBytes) {
            return {ConfigFileState::TooLarge, {}};
        }
        text.append(reinterpret_cast<const char*>(piece), *count);
    }
    return {ConfigFileState::Read, std::move(text)};
}

}  // namespace zep
