#include "link/raw_file.h"

#include "platform/publish_file.h"

namespace zep {

SaveResult SaveRawFile(const std::filesystem::path& folder, const std::string& extension,
                       std::span<const std::uint8_t> content, Clock& clock) {
    auto file = PendingFile::Create(folder);
    if (!file) {
        return SaveResult::CreateFailed;
    }
    if (file->Write(content) != content.size()) {
        return SaveResult::WriteFailed;  // the pending file removes itself
    }
    return PublishTimeStamped(*file, folder, extension, clock) ? SaveResult::Saved
                                                               : SaveResult::CreateFailed;
}

}  // namespace zep
