#pragma once
// The options that survive between runs, in the settings file beside the program. Read once
// when the window initialises, written once when it closes.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "app/main_view.h"

namespace zep {

struct StoredSettings {
    Options options;  // autoStart is not kept here but in the autostart entry
    int saveBin = 0;
    int importOnce = 1;  // archives the import history knows are not imported again
    int port = 0;
};

enum class SettingsDirection { Load, Save };

// One list of keys serves both directions. Loading fills every field (defaults for missing
// keys, 0 for values that are not numbers) and writes nothing; saving writes all nine keys.
// False when saving failed (a read-only folder, a folder in the file's place, a full disk).
bool ExchangeSettings(SettingsDirection direction, const std::filesystem::path& iniPath,
                      StoredSettings& settings);

// Before loading: a settings file in an encoding the reader does not know (UTF-16) counts as
// missing, so it is set aside as "<name>.bad" and the save at exit writes a fresh one instead of
// adding 8-bit lines to it. The log line that says so, or nothing for a readable or missing file.
std::optional<std::string> SetAsideForeignSettings(const std::filesystem::path& iniPath);

// "$04Не удалось сохранить настройки в файл '%s'."
std::string SettingsNotSavedLine(const std::filesystem::path& iniPath);

// "DriverTimeout" of [General]: how long a driver may take for one import file (and for one
// call while the drivers load) before its process is ended; 300 s when missing, 0 (or less)
// for no limit. Read once at start-up; set by editing the file, never written.
std::chrono::seconds ReadDriverTimeout(const std::filesystem::path& iniPath);

}  // namespace zep
