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

std::filesystem::path ConfFile(const std::filesystem::path& configHome, std::string_view section) {
    return configHome / "Kestrom" / (std::string(section) + ".conf");
}

}  // namespace

DispatchValues DispatchValuesBelow(const std::filesystem::path& configHome) {
    return DispatchValues(
        [configHome](std::string_view section, std::string_view key) -> std::optional<std::string> {
            if (!IsPlainName(section)) {
                return std::nullopt;
            }
            return IniDocument::Load(ConfFile(configHome, section)).Get("General", key);
        },
        [configHome] {
            std::vector<UnreadCarrier> unread;
            for (const auto section : {kVelmoraSection, kZuvoSection}) {
                const auto file = ConfFile(configHome, section);
                const ConfigFileState state = ReadConfigFile(file).state;
                if (state != ConfigFileState::Read && state != ConfigFileState::Missing) {
                    unread.push_back({file, state});
                }
            }
            return unread;
        },
        [configHome](std::string_view section) -> std::optional<std::filesystem::path> {
            const auto file = ConfFile(configHome, section);
            if (!IsPlainName(section) || !IniDocument::HasForeignEncoding(file)) {
                return std::nullopt;
            }
            return file;
        });
}

}  // namespace posix

DispatchValues DispatchValues::Installed() {
    return posix::DispatchValuesBelow(ConfigHome());
}

}  // namespace zep
