#pragma once
// The options that survive between runs, in the settings file beside the program. Read once
// when the window initialises, written once when it closes.
#include <filesystem>

#include "app/main_view.h"

namespace zep {

struct StoredSettings {
    Options options;  // autoStart is not kept here but in the autostart entry
    int saveBin = 0;
    int port = 0;
};

enum class SettingsDirection { Load, Save };

// One list of keys serves both directions. Loading fills every field (defaults for missing
// keys, 0 for values that are not numbers) and writes nothing; saving writes all eight keys.
void ExchangeSettings(SettingsDirection direction, const std::filesystem::path& iniPath,
                      StoredSettings& settings);

}  // namespace zep
