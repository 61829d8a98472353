#pragma once
// Import files (".imp") and printer protocols (".zvo") are published as
// <folder>/<local time %Y%m%d%H%M%S>_<n><extension>, n = 0, 1, 2 ... the first free one, after
// their content is complete and on disk.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "platform/publish_file.h"

namespace zep {

enum class OutputFileResult {
    Written,
    CannotCreate,   // the folder is missing, not writable or full: no attempt number helps
    WriteFailed,    // fewer bytes written than the content, or not flushed: nothing published
    NameNotOnDisk,  // published, but the folder's names could not be flushed
};

struct OutputFileOutcome {
    OutputFileResult result = OutputFileResult::Written;
    SystemError reason;  // the system's, when it failed
};

// Publishes a finished pending file under the first free attempt number of the moment `now`.
std::optional<std::filesystem::path> PublishAttemptNumbered(PendingFile& file,
                                                            const std::filesystem::path& folder,
                                                            std::time_t now,
                                                            std::string_view extension);

// The text with every line feed written as carriage return and line feed.
std::string WithCrLf(std::string_view text);

// Writes the conversion text as an import file, with CR LF line ends, in one write, and
// flushes the folder's names once it is published: only then may its raw file go.
OutputFileOutcome WriteImportFile(std::string_view text, const std::filesystem::path& folder,
                                  Clock& clock);

}  // namespace zep
