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

// A pending file in folder with the source's content; fails when the source is no plain file
// that can be read, or the copy cannot be written in full.
SystemResult<PendingFile> CopyToPending(const fs::path& source, const fs::path& folder) {
    const auto in = OpenedRegularFile::Open(source);
    if (!in) {
        return std::nullopt;
    }
    auto pending = PendingFile::Create(folder);
    if (!pending) {
        return pending;
    }
    if (CopyInto(*in, *pending) != CopyResult::Copied) {
        return pending->Failure();
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

SystemResult<fs::path> HandOverCopy(PendingFile& copy, const std::function<fs::path(int)>& nameFor,
                                    const std::function<void(const fs::path&)>& onDisk,
                                    const std::function<SystemDone()>& removeSource,
                                    int maxAttempts) {
    auto published = PublishNumbered(copy, nameFor, maxAttempts);
    if (!published) {
        return copy.Failure();
    }
    SystemDone handedOver = FlushFolder(published->parent_path());
    if (handedOver && onDisk) {
        onDisk(*published);
    }
    if (handedOver) {
        handedOver = removeSource();
    }
    if (!handedOver) {
        std::error_code error;
        fs::remove(*published, error);
        return handedOver.Error();
    }
    return *published;
}

SystemResult<fs::path> MoveNumbered(const fs::path& source,
                                    const std::function<fs::path(int)>& nameFor,
                                    const std::function<void(const fs::path&)>& onDisk,
                                    int maxAttempts) {
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        if (!FileCallAllowed(FileCall::Link, name)) {
            return std::nullopt;
        }
        const MoveStep step = MoveInOneStep(source, name);
        switch (step.outcome) {
            case MoveOutcome::Moved:
                return name;
            case MoveOutcome::NameTaken:
                continue;
            case MoveOutcome::Failed:
                return step.failure;
            case MoveOutcome::OtherVolume:
                break;
        }
        // Copy, publish, then remove, so no reader sees a partial file.
        auto pending = CopyToPending(source, name.parent_path());
        if (!pending) {
            return pending.Error();
        }
        return HandOverCopy(
            *pending, nameFor, onDisk, [&] { return RemoveFile(source); }, maxAttempts);
    }
    return std::nullopt;
}

}  // namespace zep
