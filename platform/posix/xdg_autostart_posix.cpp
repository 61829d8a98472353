// The XDG autostart entry: written with the quoted program path, read back to tell on from off.
#include "platform/posix/xdg_autostart.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>
#include <system_error>

#include "platform/config_file.h"
#include "platform/config_home.h"
#include "platform/ini_document.h"

namespace zep {

namespace posix {

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The Exec value of the main group exactly as written: the entry format keeps quotes as part
// of the value (unlike the settings file, whose reader removes them).
std::optional<std::string> ReadExec(const std::filesystem::path& file) {
    // Read as the other configuration files are: an entry that is a FIFO or a link to a device
    // neither blocks the start nor fills the memory.
    std::istringstream in(ReadConfigFile(file).text);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(in, line)) {
        const std::string_view text = Trim(line);
        if (!text.empty() && text.front() == '[') {
            inMainGroup = text == "[Desktop Entry]";
            continue;
        }
        const auto equals = text.find('=');
        if (inMainGroup && equals != std::string_view::npos &&
            Trim(text.substr(0, equals)) == "Exec") {
            return std::string(Trim(text.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

}  // namespace

std::filesystem::path AutostartEntryFile(const std::filesystem::path& configHome) {
    return configHome / "autostart" / "ZEPImport.desktop";
}

std::string AutostartExecValue(const std::filesystem::path& programFile) {
    // Inside the quotes ", `, $ and \ take a backslash; the value as a whole then doubles
    // every backslash, as all string values of the format do.
    std::string quoted = "\"";
    for (const char c : programFile.string()) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        if (c == '\\') {
            value += '\\';
        }
        value += c;
    }
    return value;
}

bool XdgAutostart::Query(const std::filesystem::path& programFile) const {
    const auto exec = ReadExec(AutostartEntryFile(m_configHome));
    return exec && EqualIgnoringCase(*exec, AutostartExecValue(programFile));
}

bool XdgAutostart::Set(const std::filesystem::path& programFile, bool on) {
    const auto entry = AutostartEntryFile(m_configHome);
    std::error_code error;
    if (!on) {
        std::filesystem::remove(entry, error);
        return !error;
    }
    const std::string path = programFile.string();
    if (path.find_first_of("\r\n") != std::string::npos) {
        return false;  // a line break cannot be carried by an entry line
    }
    std::filesystem::create_directories(entry.parent_path(), error);
    if (error) {
        return false;
    }
    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=ZEP Import\n"
         << "Exec=" << AutostartExecValue(programFile) << "\n"
         << "Terminal=false\n";
    return IniDocument(text.str()).Save(entry);
}

}  // namespace posix

std::unique_ptr<Autostart> CreateSessionAutostart() {
    return std::make_unique<posix::XdgAutostart>(ConfigHome());
}

}  // namespace zep
