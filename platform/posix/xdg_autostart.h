#pragma once
// The autostart entry on Linux: the XDG autostart entry "<config
// home>/autostart/ZEPImport.desktop", whose Exec line holds the quoted program path.
#include <filesystem>
#include <string>

#include "platform/autostart.h"

namespace zep::posix {

std::filesystem::path AutostartEntryFile(const std::filesystem::path& configHome);

// The program path as the Exec line carries it: in double quotes, with the characters that the
// desktop-entry format reserves escaped.
std::string AutostartExecValue(const std::filesystem::path& programFile);

class XdgAutostart : public Autostart {
public:
    explicit XdgAutostart(std::filesystem::path configHome) : m_configHome(std::move(configHome)) {}

    bool Query(const std::filesystem::path& programFile) const override;
    bool Set(const std::filesystem::path& programFile, bool on) override;

private:
    std::filesystem::path m_configHome;
};

}  // namespace zep::posix
