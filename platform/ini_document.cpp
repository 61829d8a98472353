// INI text read and written as the old profile functions did: names in any letter case, and a
// write that changes only its own line and keeps every other one as it was.
#include "platform/ini_document.h"

#include <algorithm>
#include <cctype>

#include "platform/config_file.h"

namespace zep {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const auto text = Trim(line);
    if (text.size() < 2 || text.front() != '[') {
        return std::nullopt;
    }
    const auto close = text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(text.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    const auto text = Trim(line);
    return text.empty() || text.front() == ';' || text.front() == '#';
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The text of a plain file; a missing file, or one that is not to be read (config_file.h),
// reads as empty.
std::string ReadAll(const std::filesystem::path& file) {
    return ReadConfigFile(file).text;
}

// UTF-16 and UTF-32 begin with their byte-order mark or, without one, hold a zero byte beside
// nearly every ASCII character; a few stray zero bytes in 8-bit text do not count.
bool IsForeignEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return true;
    }
    const auto zeros = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\0'));
    return !bytes.empty() && zeros * 3 > bytes.size();
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
    m_byteOrderMark = text.starts_with(kUtf8Mark);
    if (m_byteOrderMark) {
        text.remove_prefix(kUtf8Mark.size());
    }
    m_crlf = text.find("\r\n") != std::string_view::npos;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        auto line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        m_lines.emplace_back(line);
        start = end + 1;
    }
}

IniDocument IniDocument::Load(const std::filesystem::path& file) {
    const std::string content = ReadAll(file);
    if (IsForeignEncoding(content)) {
        return {};
    }
    return IniDocument(content);
}

bool IniDocument::HasForeignEncoding(const std::filesystem::path& file) {
    return IsForeignEncoding(ReadAll(file));
}

bool IniDocument::Save(const std::filesystem::path& file) const {
    return WriteConfigFile(file, Text());
}

std::string IniDocument::Text() const {
    const char* eol = m_crlf ? "\r\n" : "\n";
    std::string text(m_byteOrderMark ? kUtf8Mark : std::string_view{});
    for (const auto& line : m_lines) {
        text += line;
        text += eol;
    }
    return text;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = SectionName(m_lines[i]);
        if (name && EqualNoCase(*name, Trim(section))) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < m_lines.size() && !SectionName(m_lines[i])) {
        ++i;
    }
    return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (IsComment(m_lines[i])) {
            continue;
        }
        const auto eq = m_lines[i].find('=');
        if (eq != std::string::npos &&
            EqualNoCase(Trim(std::string_view(m_lines[i]).substr(0, eq)), Trim(key))) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto header = FindSection(section);
    if (!header) {
        return std::nullopt;
    }
    const auto line = FindKey(*header, key);
    if (!line) {
        return std::nullopt;
    }
    const std::string_view text = m_lines[*line];
    return std::string(Unquote(Trim(text.substr(text.find('=') + 1))));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
    auto header = FindSection(section);
    if (!header) {
        // Keep a blank line between sections, as the profile functions of the original do.
        if (!m_lines.empty() && !Trim(m_lines.back()).empty()) {
            m_lines.emplace_back();
        }
        m_lines.push_back("[" + std::string(Trim(section)) + "]");
        m_lines.push_back(entry);
        return;
    }
    if (const auto line = FindKey(*header, key)) {
        m_lines[*line] = entry;
        return;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    std::size_t insertAt = SectionEnd(*header);
    while (insertAt > *header + 1 && Trim(m_lines[insertAt - 1]).empty()) {
        --insertAt;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

}  // namespace zep
