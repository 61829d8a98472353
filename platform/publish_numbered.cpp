// Publishing and moving under the first free numbered name: the same on every system, since
// only the single publish, move or copy beneath it is the backend's.
#include <system_error>

#include "platform/file_calls.h"
#include "platform/publish_file.h"
#include "platform/publish_move.h"
#include "platform/regular_file.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

// A pending file in folder with the source's content; nullopt when the source is no plain file
// that can be read, or the copy cannot be written in full.
std::optional<PendingFile> CopyToPending(const fs::path& source, const fs::path& folder) {
    const auto in = OpenedRegularFile::Open(source);
    auto pending = in ? PendingFile::Create(folder) : std::nullopt;
    if (!pending || CopyInto(*in, *pending) != CopyResult::Copied) {
        return std::nullopt;
    }
    return pending;
}

}  // namespace

std::optional<fs::path> PublishNumbered(PendingFile& file,
                                        const std::function<fs::path(int)>& nameFor,
                                        int maxAttempts) {
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        switch (file.Publish(name)) {
            case PublishResult::Published:
                return name;
            case PublishResult::NameTaken:
                continue;
            case PublishResult::Failed:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<fs::path> MoveNumbered(const fs::path& source,
                                     const std::function<fs::path(int)>& nameFor,
                                     const std::function<void(const fs::path&)>& onDisk,
                                     int maxAttempts) {
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        if (!FileCallAllowed(FileCall::Link, name)) {
            return std::nullopt;
        }
        switch (MoveInOneStep(source, name)) {
            case MoveOutcome::Moved:
                return name;
            case MoveOutcome::NameTaken:
                continue;
            case MoveOutcome::Failed:
                return std::nullopt;
            case MoveOutcome::OtherVolume:
                break;
        }
        // Copy, publish, then remove, so no reader sees a partial file.
        auto pending = CopyToPending(source, name.parent_path());
        if (!pending) {
            return std::nullopt;
        }
        auto published = PublishNumbered(*pending, nameFor, maxAttempts);
        // The copy's name must be on disk before the source goes; a source that stays would be
        // moved, and so handed on, a second time.
        const bool onDiskNow = published && FlushFolder(published->parent_path());
        if (onDiskNow && onDisk) {
            onDisk(*published);
        }
        if (published && (!onDiskNow || !RemoveFile(source))) {
            std::error_code error;
            fs::remove(*published, error);
            return std::nullopt;
        }
        return published;
    }
    return std::nullopt;
}

}  // namespace zep
