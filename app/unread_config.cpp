// Why a configuration file was taken as missing, in the words of the log.
#include "app/unread_config.h"

#include "core/path_text.h"

namespace zep {

namespace {

// Only the states of a file that is there but was not read.
const char* Reason(ConfigFileState state) {
    switch (state) {
        case ConfigFileState::NotPlainFile:
            return "это не обычный файл";
        case ConfigFileState::TooLarge:
            return "больше 1 МБ";
        default:
            return "ошибка чтения";
    }
}

bool Unread(ConfigFileState state) {
    return state != ConfigFileState::Read && state != ConfigFileState::Missing;
}

}  // namespace

std::optional<std::string> UnreadSettingsLine(const std::filesystem::path& iniPath) {
    const ConfigFileState state = ReadConfigFile(iniPath).state;
    if (!Unread(state)) {
        return std::nullopt;
    }
    return "$04Файл настроек '" + PathToUtf8(iniPath) + "' не прочитан: " + Reason(state) +
           "; приняты настройки по умолчанию, файл оставлен как есть.";
}

std::vector<std::string> UnreadCarrierLines(const DispatchValues& values) {
    std::vector<std::string> lines;
    for (const auto& carrier : values.UnreadCarriers()) {
        if (Unread(carrier.state)) {
            lines.push_back("$04Файл '" + PathToUtf8(carrier.file) +
                            "' не прочитан: " + Reason(carrier.state) + ".");
        }
    }
    return lines;
}

}  // namespace zep
