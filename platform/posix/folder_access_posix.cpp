// Whether a card folder can be entered and read, tested without leaving anything open, so the
// card can still be ejected.
#include <fcntl.h>
#include <unistd.h>

#include "platform/folder_access.h"

namespace zep {

bool CanEnterFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Entering needs search permission as well as the open for reading.
    const bool searchable = ::faccessat(fd, ".", X_OK, 0) == 0;
    ::close(fd);
    return searchable;
}

}  // namespace zep
