#pragma once
// The backend's call beneath MoveNumbered: giving a file a new name in one step where the
// system can. For the platform's neutral files; callers elsewhere use MoveNumbered.
#include <filesystem>

#include "platform/system_error.h"

namespace zep {

enum class MoveOutcome {
    Moved,        // the file has the new name and no longer the old one
    NameTaken,    // a file of the new name exists; nothing changed
    OtherVolume,  // the new name lies where the file cannot be moved in one step
    Failed
};

struct MoveStep {
    MoveOutcome outcome = MoveOutcome::Failed;
    SystemError failure;  // why, when it Failed
};

// Never replaces a file of the new name.
MoveStep MoveInOneStep(const std::filesystem::path& source, const std::filesystem::path& name);

}  // namespace zep
