#include "app/main_settings.h"

#include "app/profile_settings.h"
#include "core/path_text.h"

namespace zep {

void ExchangeSettings(SettingsDirection direction, const std::filesystem::path& iniPath,
                      StoredSettings& settings) {
    const bool saving = direction == SettingsDirection::Save;
    ProfileSettings profile(PathToUtf8(iniPath), "General", true);
    Options& options = settings.options;
    profile.ExchangeInt(saving, options.runMinimized, "m_runMinimized", std::nullopt, 0);
    profile.ExchangeInt(saving, options.expandActive, "m_expandActive", std::nullopt, 1);
    profile.ExchangeInt(saving, options.deleteAfter, "m_deleteAfter", std::nullopt, 0);
    profile.ExchangeInt(saving, options.deleteFlash, "m_deleteFlash", std::nullopt, 0);
    profile.ExchangeInt(saving, options.removable, "m_removable", std::nullopt, 1);
    profile.ExchangeInt(saving, options.preview, "m_preview", std::nullopt, 1);
    profile.ExchangeInt(saving, settings.saveBin, "SaveBin", std::nullopt, 0);
    profile.ExchangeInt(saving, settings.port, "m_port", "COM Port", 0);
}

}  // namespace zep
