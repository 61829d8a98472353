#pragma once
// Starting together with the desktop session: the XDG autostart entry
// "<config home>/autostart/ZEPImport.desktop", whose Exec line holds the quoted program path.
// The entry present with that path (letter case aside) means on.
#include <filesystem>
#include <string>

namespace zep {

std::filesystem::path AutostartEntryFile(const std::filesystem::path& configHome);

// The program path as the Exec line carries it: in double quotes, with the characters that the
// desktop-entry format reserves escaped.
std::string AutostartExecValue(const std::filesystem::path& programFile);

bool QueryAutostart(const std::filesystem::path& configHome,
                    const std::filesystem::path& programFile);

// Writes the entry (on) or removes it (off). false when that could not be done.
bool SetAutostart(const std::filesystem::path& configHome, const std::filesystem::path& programFile,
                  bool on);

}  // namespace zep
