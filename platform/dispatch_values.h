#pragma once
// The values that the dispatch system ("Velmora": Drivers, Import, Path) and the Zuvo application
// ("Zuvo": InstallTo) publish for us, looked up by section and key. Read-only; a missing carrier
// or key reads as missing. Where they are kept is the backend's matter (configuration files on
// Linux, the registry on Windows); tests give their own look-up.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zep {

inline constexpr std::string_view kVelmoraSection = "Velmora";
inline constexpr std::string_view kZuvoSection = "Zuvo";

class DispatchValues {
public:
    using Lookup =
        std::function<std::optional<std::string>(std::string_view section, std::string_view key)>;

    // No values at all.
    DispatchValues() = default;
    explicit DispatchValues(Lookup lookup) : m_lookup(std::move(lookup)) {}
    // The values of the systems installed for the user running the program.
    static DispatchValues Installed();

    std::optional<std::string> GetValue(std::string_view section, std::string_view key) const {
        return m_lookup ? m_lookup(section, key) : std::nullopt;
    }

private:
    Lookup m_lookup;
};

}  // namespace zep
