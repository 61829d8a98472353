#pragma once
// Saving one downloaded unit (a ZEP file, a Tessal archive, a Kolvar record) as a raw file in
// the program folder, named by the local time of saving. The content is complete and flushed
// to disk before the name appears, and the folder's names are flushed after it: only then is
// the raw file sure to survive a power cut, so nothing may be deleted on a device before that.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "core/clock.h"
#include "core/raw_file_observer.h"
#include "platform/publish_file.h"

namespace zep {

enum class SaveResult {
    Saved,          // content and name on disk
    Known,          // imported before (import history): nothing saved again
    NameNotOnDisk,  // published, but the folder's names could not be flushed: keep the original
    WriteFailed,    // fewer bytes written than given; nothing is left behind
    CreateFailed,   // no file can be made in the folder (missing, not writable, link refused)
};

struct SaveOutcome {
    SaveResult result = SaveResult::Saved;
    SystemError reason;  // the system's, when it failed
};

// Publishes as folder + "/" + local time stamp + extension, waiting for the next second while
// the name of this second is taken. nullopt on any other failure (file.Failure() says why).
std::optional<std::filesystem::path> PublishTimeStamped(PendingFile& file,
                                                        const std::filesystem::path& folder,
                                                        const std::string& extension, Clock& clock);

// Publishes as folder/<%Y%m%d%H%M%S><extension>; a name of this second that is taken makes it
// wait for the next second's name; then one flush of the folder. The observer, if any, is told
// of the file once it is published.
SaveOutcome SaveRawFile(const std::filesystem::path& folder, const std::string& extension,
                        std::span<const std::uint8_t> content, Clock& clock,
                        RawFileObserver* observer = nullptr);

}  // namespace zep
