// Output names and numbering, and the card-file steps shared by the whole-file copy and the
// card database import.
#include "media/media_import_context.h"

#include "media/card_file_name.h"
#include "platform/time_base.h"

namespace zep {

std::filesystem::path RawOutputName(const std::filesystem::path& programFolder,
                                    const std::string& stamp, int attempt,
                                    const std::string& extension) {
    return programFolder / (stamp + "_" + std::to_string(attempt) + extension);
}

void OutputNumbering::Taken(const std::string& name, int attempt) {
    m_name = name;
    m_next = attempt + 1;
}

std::optional<std::filesystem::path> PublishOutput(PendingFile& file, const std::string& stamp,
                                                   const std::string& extension,
                                                   const MediaImportContext& context) {
    const auto& folder = context.env.programFolder;
    const int first = context.numbering.FirstAttempt(stamp + extension);
    int taken = first;
    const auto name = PublishNumbered(file, [&](int attempt) {
        taken = first + attempt;
        return RawOutputName(folder, stamp, taken, extension);
    });
    if (name) {
        context.numbering.Taken(stamp + extension, taken);
    }
    return name;
}

bool MediaImportContext::PassOver(const ArchiveKey& archive) const {
    if (!params.importOnce || SelectionInForce() || !env.history ||
        !env.history->Contains(archive)) {
        return false;
    }
    ++tally.known;
    return true;
}

void MediaImportContext::Record(std::span<const ArchiveKey> archives) const {
    if (env.history && !archives.empty()) {
        env.history->Record(archives, env.report);
    }
}

std::string OutputStamp(const WorkerEnvironment& env) {
    return FormatLocalTime(env.clock.Now(), kFileStampPattern);
}

std::string CardLine(std::string_view pattern, const CardFile& file) {
    std::string line(pattern);
    if (const auto at = line.find("%s"); at != std::string::npos) {
        line.replace(at, 2, CardFileNameForLog(file.name));
    }
    return line;
}

SystemDone RemoveCardFile(const CardFile& file) {
    return RemoveFile(file.path);
}

}  // namespace zep
