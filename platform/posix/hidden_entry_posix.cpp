// Hidden entries on Linux: the name begins with a dot.
#include "platform/hidden_entry.h"

namespace zep {

bool IsHiddenEntry(const std::filesystem::path& entry) {
    const auto name = entry.filename().native();
    return !name.empty() && name.front() == '.';
}

}  // namespace zep
