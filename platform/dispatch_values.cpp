#include "platform/dispatch_values.h"

#include "platform/config_home.h"
#include "platform/ini_document.h"

namespace zep {

DispatchValues::DispatchValues(std::filesystem::path configHome)
    : m_configHome(std::move(configHome)) {}

DispatchValues DispatchValues::FromEnvironment() {
    return DispatchValues(ConfigHome());
}

std::filesystem::path DispatchValues::VelmoraFile() const {
    return m_configHome / "Kestrom" / "Velmora.conf";
}

std::filesystem::path DispatchValues::ZuvoFile() const {
    return m_configHome / "Kestrom" / "Zuvo.conf";
}

std::optional<std::string> DispatchValues::Read(DispatchValue value) const {
    switch (value) {
        case DispatchValue::Drivers:
            return IniDocument::Load(VelmoraFile()).Get("General", "Drivers");
        case DispatchValue::Import:
            return IniDocument::Load(VelmoraFile()).Get("General", "Import");
        case DispatchValue::Path:
            return IniDocument::Load(VelmoraFile()).Get("General", "Path");
        case DispatchValue::InstallTo:
            return IniDocument::Load(ZuvoFile()).Get("General", "InstallTo");
    }
    return std::nullopt;
}

}  // namespace zep
