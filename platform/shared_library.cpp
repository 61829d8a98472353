#include "platform/shared_library.h"

#include <cctype>

namespace zep {

bool HasSharedLibrarySuffix(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    const std::string_view ending = fileName.substr(dot);
    const std::string_view suffix = SharedLibrarySuffix();
    if (ending.size() != suffix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < ending.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(ending[i])) !=
            std::tolower(static_cast<unsigned char>(suffix[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace zep
