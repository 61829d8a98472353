// Configuration files read whole from plain files only, and never past a size no settings file
// reaches; written only over a plain file or none.
#include "platform/config_file.h"

#include <cstdint>

#include "platform/publish_file.h"
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

bool WriteConfigFile(const std::filesystem::path& file, std::string_view text) {
    const ConfigFileState found = ReadConfigFile(file).state;
    if (found != ConfigFileState::Read && found != ConfigFileState::Missing) {
        return false;
    }
    const auto folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    auto pending = PendingFile::Create(folder);
    if (!pending) {
        return false;
    }
    if (pending->Write(text) != text.size()) {
        return false;
    }
    return pending->Replace(file) == PublishResult::Published;
}

}  // namespace zep
