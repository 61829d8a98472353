// The settings file read and written as the old profile functions did: the file beside the
// program or in the current folder, integers read as atoi reads them, long values cut.
#include "app/profile_settings.h"

#include <cstdio>
#include <system_error>

#include "core/number_text.h"
#include "core/path_text.h"
#include "platform/ini_document.h"
#include "platform/program_path.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

fs::path CurrentDirectory() {
    std::error_code error;
    auto current = fs::current_path(error);
    return error ? fs::path(".") : current;
}

std::string ApplicationName() {
    return PathToUtf8(SettingsFileFor(ProgramFile()).stem());
}

std::string FormatInt(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

}  // namespace

fs::path ProfileSettings::ResolvePath(std::string_view file, bool moduleDirectory,
                                      const fs::path& programFile,
                                      const fs::path& currentDirectory) {
    const fs::path anchor = moduleDirectory ? programFile.parent_path() : currentDirectory;
    fs::path name = file.empty() ? SettingsFileFor(programFile).filename() : PathFromUtf8(file);
    if (name.is_absolute()) {
        return name;
    }
    return anchor / name;
}

ProfileSettings::ProfileSettings(std::string_view file, std::string_view section,
                                 bool moduleDirectory)
    : m_file(ResolvePath(file, moduleDirectory, ProgramFile(), CurrentDirectory())),
      m_section(section.empty() ? ApplicationName() : std::string(section)) {}

void ProfileSettings::SetSection(std::string_view section) {
    m_section = section;
}

void ProfileSettings::SelectSection(std::optional<std::string_view> section) {
    if (section) {
        SetSection(*section);
    }
}

std::string ProfileSettings::ReadText(std::string_view key, std::string_view defaultValue,
                                      std::optional<std::string_view> section) {
    SelectSection(section);
    const auto value = IniDocument::Load(m_file).Get(m_section, key);
    m_lastValue = value ? *value : std::string(defaultValue);
    if (m_lastValue.size() > kMaxValueLength) {
        m_lastValue.resize(kMaxValueLength);
    }
    return m_lastValue;
}

int ProfileSettings::ReadInt(std::string_view key, int defaultValue,
                             std::optional<std::string_view> section) {
    return ParseDecimalAs<int>(ReadText(key, FormatInt(defaultValue), section));
}

bool ProfileSettings::WriteInt(std::string_view key, int value,
                               std::optional<std::string_view> section) {
    SelectSection(section);
    auto document = IniDocument::Load(m_file);
    document.Set(m_section, key, FormatInt(value));
    return document.Save(m_file);
}

bool ProfileSettings::ExchangeInt(bool saving, int& value, std::string_view key,
                                  std::optional<std::string_view> section, int defaultValue) {
    if (saving) {
        return WriteInt(key, value, section);
    }
    value = ReadInt(key, defaultValue, section);
    return true;
}

}  // namespace zep
