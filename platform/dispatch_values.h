#pragma once
// The values that the dispatch system ("Velmora": Drivers, Import, Path) and the Zuvo application
// ("Zuvo": InstallTo) publish for us, looked up by section and key. Read-only; a missing carrier
// or key reads as missing. Where they are kept is the backend's matter (configuration files on
// Linux, the registry on Windows); tests give their own look-up.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/config_file.h"

namespace zep {

inline constexpr std::string_view kVelmoraSection = "Velmora";
inline constexpr std::string_view kZuvoSection = "Zuvo";

// A carrier of the values that is there but was not read (a configuration file that is not a
// plain file, or far too large): its values read as missing, and the start says why.
struct UnreadCarrier {
    std::filesystem::path file;
    ConfigFileState state = ConfigFileState::NotPlainFile;
};

class DispatchValues {
public:
    using Lookup =
        std::function<std::optional<std::string>(std::string_view section, std::string_view key)>;
    using Check = std::function<std::vector<UnreadCarrier>()>;
    using CarrierOf = std::function<std::optional<std::filesystem::path>(std::string_view section)>;

    // No values at all.
    DispatchValues() = default;
    explicit DispatchValues(Lookup lookup, Check check = {}, CarrierOf foreign = {})
        : m_lookup(std::move(lookup)), m_check(std::move(check)), m_foreign(std::move(foreign)) {}
    // The values of the systems installed for the user running the program.
    static DispatchValues Installed();

    std::optional<std::string> GetValue(std::string_view section, std::string_view key) const {
        return m_lookup ? m_lookup(section, key) : std::nullopt;
    }
    // The carriers that are there but cannot be read, as they stand now; none where the values
    // are not kept in files (the registry).
    std::vector<UnreadCarrier> UnreadCarriers() const {
        return m_check ? m_check() : std::vector<UnreadCarrier>{};
    }
    // The carrier of a section that is there but in an encoding its values cannot be read from
    // (UTF-16 or UTF-32, as an editor saves "Unicode"), so that its values read as missing;
    // nullopt otherwise, and where the values are not kept in files.
    std::optional<std::filesystem::path> ForeignEncodingCarrier(std::string_view section) const {
        return m_foreign ? m_foreign(section) : std::nullopt;
    }

private:
    Lookup m_lookup;
    Check m_check;
    CarrierOf m_foreign;
};

}  // namespace zep
