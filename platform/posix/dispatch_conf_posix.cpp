// The dispatch values read from the configuration files of the dispatch system and Zuvo.
#include <algorithm>
#include <cctype>

#include "platform/config_home.h"
#include "platform/ini_document.h"
#include "platform/posix/dispatch_conf.h"

namespace zep {

namespace posix {

namespace {

// A section names a file, so it must not lead out of the folder.
bool IsPlainName(std::string_view section) {
    return !section.empty() && std::all_of(section.begin(), section.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0;
    });
}

}  // namespace

DispatchValues DispatchValuesBelow(const std::filesystem::path& configHome) {
    return DispatchValues(
        [configHome](std::string_view section, std::string_view key) -> std::optional<std::string> {
            if (!IsPlainName(section)) {
                return std::nullopt;
            }
            const auto file = configHome / "Kestrom" / (std::string(section) + ".conf");
            return IniDocument::Load(file).Get("General", key);
        });
}

}  // namespace posix

DispatchValues DispatchValues::Installed() {
    return posix::DispatchValuesBelow(ConfigHome());
}

}  // namespace zep
