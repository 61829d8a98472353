#include "media/media_import_context.h"

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

std::string OutputStamp(const WorkerEnvironment& env) {
    return FormatLocalTime(env.clock.Now(), kFileStampPattern);
}

}  // namespace zep
