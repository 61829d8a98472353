// Publishing under the first free numbered name: the same on every system, since only the
// single publish beneath it is the backend's.
#include "platform/publish_file.h"

namespace zep {

namespace fs = std::filesystem;

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

}  // namespace zep
