#pragma once
// The backend's calls beneath MoveNumbered: giving a file a new name in one step where the
// system can, and copying its content into a pending file where it cannot. For the platform's
// neutral files; callers elsewhere use MoveNumbered.
#include <filesystem>
#include <optional>

#include "platform/publish_file.h"

namespace zep {

enum class MoveOutcome {
    Moved,        // the file has the new name and no longer the old one
    NameTaken,    // a file of the new name exists; nothing changed
    OtherVolume,  // the new name lies where the file cannot be moved in one step
    Failed
};

// Never replaces a file of the new name.
MoveOutcome MoveInOneStep(const std::filesystem::path& source, const std::filesystem::path& name);

// A pending file in folder with the source's content; nullopt when the source cannot be read or
// the copy not written in full.
std::optional<PendingFile> CopyToPending(const std::filesystem::path& source,
                                         const std::filesystem::path& folder);

}  // namespace zep
