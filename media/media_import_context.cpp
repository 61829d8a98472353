#include "media/media_import_context.h"

#include "platform/time_base.h"

namespace zep {

std::filesystem::path RawOutputName(const std::filesystem::path& programFolder,
                                    const std::string& stamp, int attempt,
                                    const std::string& extension) {
    return programFolder / (stamp + "_" + std::to_string(attempt) + extension);
}

std::string OutputStamp(const WorkerEnvironment& env) {
    return FormatLocalTime(env.clock.Now(), kFileStampPattern);
}

}  // namespace zep
