// Saves a downloaded unit as a time-stamped raw file in the program folder, complete and flushed
// before its name appears, so that nothing is deleted on a device before that.
#include "link/raw_file.h"

#include "platform/time_base.h"

namespace zep {

std::optional<std::filesystem::path> PublishTimeStamped(PendingFile& file,
                                                        const std::filesystem::path& folder,
                                                        const std::string& extension,
                                                        Clock& clock) {
    // A taken name means a file of this second exists: the next second's name will be free.
    // The bound only guards against a clock that never moves.
    for (int tries = 0; tries < 100000; ++tries) {
        const std::filesystem::path name =
            folder / (FormatLocalTime(clock.Now(), kFileStampPattern) + extension);
        switch (file.Publish(name)) {
            case PublishResult::Published:
                return name;
            case PublishResult::NameTaken:
                clock.SleepMs(50);
                continue;
            case PublishResult::Failed:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

SaveOutcome SaveRawFile(const std::filesystem::path& folder, const std::string& extension,
                        std::span<const std::uint8_t> content, Clock& clock,
                        RawFileObserver* observer) {
    auto file = PendingFile::Create(folder);
    if (!file) {
        return {SaveResult::CreateFailed, file.Error()};
    }
    if (file->Write(content) != content.size()) {
        return {SaveResult::WriteFailed, file->Failure()};  // the pending file removes itself
    }
    const auto name = PublishTimeStamped(*file, folder, extension, clock);
    if (!name) {
        return {SaveResult::CreateFailed, file->Failure()};
    }
    if (observer) {
        observer->Published(*name, content);
    }
    // A name still in the cache is lost with a power cut, and with it the only copy once the
    // device has deleted its own.
    if (const auto flushed = FlushFolder(folder); !flushed) {
        return {SaveResult::NameNotOnDisk, flushed.Error()};
    }
    return {};
}

}  // namespace zep
