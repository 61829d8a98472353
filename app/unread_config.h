#pragma once
// The log lines that say why a configuration file counts as missing: the settings file and the
// files of the dispatch system and Zuvo are read only when they are plain files of a sensible
// size (platform/config_file.h).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch_values.h"

namespace zep {

// "$04Файл настроек '%s' не прочитан: <why>; ..." for a settings file that is there but was
// not read, or nothing for a readable or missing one. Such a file is not replaced at exit.
std::optional<std::string> UnreadSettingsLine(const std::filesystem::path& iniPath);

// "$04Файл '%s' не прочитан: <why>." for each carrier of the dispatch values that is there but
// was not read.
std::vector<std::string> UnreadCarrierLines(const DispatchValues& values);

}  // namespace zep
