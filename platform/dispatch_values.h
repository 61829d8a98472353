#pragma once
// The values that the dispatch system and the Zuvo application publish for us: the driver
// folder, the import folder, the help path and the Zuvo installation folder. Read-only; a
// missing file or key reads as missing.
#include <filesystem>
#include <optional>
#include <string>

namespace zep {

enum class DispatchValue { Drivers, Import, Path, InstallTo };

class DispatchValues {
public:
    // Reads below the given configuration folder ("Kestrom/Velmora.conf", "Kestrom/Zuvo.conf").
    explicit DispatchValues(std::filesystem::path configHome);
    // Reads below $XDG_CONFIG_HOME.
    static DispatchValues FromEnvironment();

    std::optional<std::string> Read(DispatchValue value) const;

    std::filesystem::path VelmoraFile() const;
    std::filesystem::path ZuvoFile() const;

private:
    std::filesystem::path m_configHome;
};

}  // namespace zep
