#pragma once
// The settings-file accessor of the main window: one INI file, a current section, and integer
// values that one list of calls can both load and save.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zep {

class ProfileSettings {
public:
    // A value longer than this is cut, as the profile functions' 256-byte buffer did.
    static constexpr std::size_t kMaxValueLength = 255;

    // An empty file name means the program's base name with ".ini"; a relative name is anchored
    // at the program folder (moduleDirectory) or the current directory. An empty section name
    // means the application's name.
    ProfileSettings(std::string_view file, std::string_view section, bool moduleDirectory);

    // The path the constructor settles on, given the program file and current directory.
    static std::filesystem::path ResolvePath(std::string_view file, bool moduleDirectory,
                                             const std::filesystem::path& programFile,
                                             const std::filesystem::path& currentDirectory);

    void SetSection(std::string_view section);

    // The value of the key in the current section (or in the given one, which then becomes
    // current), the default when the file or key is missing; kept as the last value.
    std::string ReadText(std::string_view key, std::string_view defaultValue,
                         std::optional<std::string_view> section = std::nullopt);
    // The value read as atoi would: leading blanks, an optional sign, decimal digits; anything
    // else gives 0.
    int ReadInt(std::string_view key, int defaultValue,
                std::optional<std::string_view> section = std::nullopt);
    // Writes "%d" of the value; false when the file could not be written.
    bool WriteInt(std::string_view key, int value,
                  std::optional<std::string_view> section = std::nullopt);
    // Loads the value (saving == false) or saves it (saving == true); false when saving failed.
    bool ExchangeInt(bool saving, int& value, std::string_view key,
                     std::optional<std::string_view> section = std::nullopt, int defaultValue = 0);

    const std::filesystem::path& File() const { return m_file; }
    const std::string& Section() const { return m_section; }
    const std::string& LastValue() const { return m_lastValue; }

private:
    void SelectSection(std::optional<std::string_view> section);

    std::string m_lastValue;
    std::filesystem::path m_file;
    std::string m_section;
};

}  // namespace zep
