// Publishes import files and printer protocols under time-stamped, numbered names, only once
// their content is complete and on disk, with CR LF line ends.
#include "convert/output_file.h"

#include <algorithm>

#include "platform/time_base.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

// The attempt numbers below the last one published for the same folder, second and extension
// were taken a moment ago; a burst of conversions within one second starts behind them instead
// of trying each again.
struct LastPublished {
    fs::path folder;
    std::string stamp;
    std::string extension;
    int attempt = -1;
};
thread_local LastPublished t_last;

}  // namespace

std::optional<fs::path> PublishAttemptNumbered(PendingFile& file, const fs::path& folder,
                                               std::time_t now, std::string_view extension) {
    const std::string stamp = FormatLocalTime(now, kFileStampPattern);
    const bool sameSecond =
        t_last.folder == folder && t_last.stamp == stamp && t_last.extension == extension;
    const int first = sameSecond ? t_last.attempt + 1 : 0;
    int published = -1;
    auto path = PublishNumbered(file, [&](int attempt) {
        published = first + attempt;
        return folder / (stamp + "_" + std::to_string(published) + std::string(extension));
    });
    if (path) {
        t_last = {folder, stamp, std::string(extension), published};
    }
    return path;
}

std::string WithCrLf(std::string_view text) {
    std::string result;
    result.reserve(text.size() +
                   static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t lineEnd = text.find('\n', from);
        if (lineEnd == std::string_view::npos) {
            result.append(text.substr(from));
            break;
        }
        result.append(text.substr(from, lineEnd - from));
        result.append("\r\n");
        from = lineEnd + 1;
    }
    return result;
}

OutputFileOutcome WriteImportFile(std::string_view text, const fs::path& folder, Clock& clock) {
    auto file = PendingFile::Create(folder);
    if (!file) {
        return {OutputFileResult::CannotCreate, file.Error()};
    }
    const std::string content = WithCrLf(text);
    if (file->Write(content) != content.size()) {
        return {OutputFileResult::WriteFailed, file->Failure()};
    }
    // Only a taken name moves on to the next attempt number; any other failure ends here.
    if (!PublishAttemptNumbered(*file, folder, clock.Now(), ".imp")) {
        return {OutputFileResult::WriteFailed, file->Failure()};
    }
    if (const auto flushed = FlushFolder(folder); !flushed) {
        return {OutputFileResult::NameNotOnDisk, flushed.Error()};
    }
    return {};
}

}  // namespace zep
