// The help file of the dispatch system, found from its "Path" value with the extension made ".chm".
#include "app/help_request.h"

namespace zep {

std::string HelpFileFor(const std::string& pathValue) {
    const auto slash = pathValue.find_last_of("/\\");
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = pathValue.rfind('.');
    // A leading dot names a hidden file; it is no extension.
    if (dot == std::string::npos || dot <= nameStart) {
        return pathValue + ".chm";
    }
    return pathValue.substr(0, dot) + ".chm";
}

std::optional<std::string> FindHelpFile(const DispatchValues& values) {
    const auto path = values.GetValue(kVelmoraSection, "Path");
    if (!path || path->empty()) {
        return std::nullopt;
    }
    return HelpFileFor(*path);
}

}  // namespace zep
