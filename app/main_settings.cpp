// The options kept between runs: loaded and saved by one list of keys, and a settings file in an
// unknown encoding set aside rather than spoilt by the save at exit.
#include "app/main_settings.h"

#include <algorithm>

#include "app/profile_settings.h"
#include "core/path_text.h"
#include "platform/ini_document.h"

namespace zep {

bool ExchangeSettings(SettingsDirection direction, const std::filesystem::path& iniPath,
                      StoredSettings& settings) {
    const bool saving = direction == SettingsDirection::Save;
    ProfileSettings profile(PathToUtf8(iniPath), "General", true);
    Options& options = settings.options;
    bool ok = profile.ExchangeInt(saving, options.runMinimized, "m_runMinimized", std::nullopt, 0);
    ok &= profile.ExchangeInt(saving, options.expandActive, "m_expandActive", std::nullopt, 1);
    ok &= profile.ExchangeInt(saving, options.deleteAfter, "m_deleteAfter", std::nullopt, 0);
    ok &= profile.ExchangeInt(saving, options.deleteFlash, "m_deleteFlash", std::nullopt, 0);
    ok &= profile.ExchangeInt(saving, options.removable, "m_removable", std::nullopt, 1);
    ok &= profile.ExchangeInt(saving, options.preview, "m_preview", std::nullopt, 1);
    ok &= profile.ExchangeInt(saving, settings.saveBin, "SaveBin", std::nullopt, 0);
    ok &= profile.ExchangeInt(saving, settings.importOnce, "ImportOnce", std::nullopt, 1);
    ok &= profile.ExchangeInt(saving, settings.port, "m_port", "COM Port", 0);
    return ok;
}

std::optional<std::string> SetAsideForeignSettings(const std::filesystem::path& iniPath) {
    if (!IniDocument::HasForeignEncoding(iniPath)) {
        return std::nullopt;
    }
    const std::string name = PathToUtf8(iniPath);
    std::filesystem::path setAside = iniPath;
    setAside += ".bad";
    std::error_code error;
    std::filesystem::rename(iniPath, setAside, error);
    if (error) {
        return "$04Файл настроек '" + name +
               "' в неизвестной кодировке (не 8-битный текст) и не может быть переименован; "
               "приняты настройки по умолчанию.";
    }
    return "$04Файл настроек '" + name +
           "' в неизвестной кодировке (не 8-битный текст); он сохранён как '" + name +
           ".bad', приняты настройки по умолчанию.";
}

std::string SettingsNotSavedLine(const std::filesystem::path& iniPath) {
    return "$04Не удалось сохранить настройки в файл '" + PathToUtf8(iniPath) + "'.";
}

std::chrono::seconds ReadDriverTimeout(const std::filesystem::path& iniPath) {
    constexpr int kDefaultSeconds = 300;
    ProfileSettings profile(PathToUtf8(iniPath), "General", true);
    return std::chrono::seconds(std::max(0, profile.ReadInt("DriverTimeout", kDefaultSeconds)));
}

}  // namespace zep
