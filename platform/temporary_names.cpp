// The tag of the temporary names, and the removal of a tag's leftovers.
#include "platform/temporary_names.h"

#include <system_error>

#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace {

constexpr const char* kTemporaryNameStart = ".zepimport-";

// Set once at start-up, before any worker runs; read by every writer afterwards.
std::string g_tag;

}  // namespace

void SetTemporaryNameTag(std::string tag) {
    g_tag = std::move(tag);
}

std::string TemporaryNamePrefix() {
    return g_tag.empty() ? std::string(kTemporaryNameStart)
                         : std::string(kTemporaryNameStart) + g_tag + "-";
}

int RemoveOwnTemporaries(const std::filesystem::path& folder) {
    if (g_tag.empty()) {
        return 0;
    }
    const std::string prefix = TemporaryNamePrefix();
    const std::string end = kTemporaryNameEnd;
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), last; !error && it != last;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() + end.size() && name.starts_with(prefix) &&
            name.ends_with(end) && ProbeFile(it->path()).kind == FileKind::Regular &&
            RemoveFile(it->path())) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace zep
