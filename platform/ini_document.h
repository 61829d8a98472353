#pragma once
// A reader and writer of INI text with the behaviour the profile functions of the original
// platform give: section and key names compared without regard to letter case, values
// trimmed, and a write that changes only the line it must, keeping every other line (comments,
// other sections and keys, their order) as it was. CR LF and LF files read alike.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zep {

class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(std::string_view text);

    // Reads a file; a missing or unreadable file, one that is not to be read (a FIFO, device,
    // a link to one, a file over kMaxConfigFileBytes: platform/config_file.h), or one in an
    // encoding this reader does not know, gives an empty document.
    static IniDocument Load(const std::filesystem::path& file);
    // True when the file exists and is not 8-bit text: UTF-16 or UTF-32 (with or without a
    // byte-order mark). Keys cannot be found in it, and lines written into it would mix
    // encodings.
    static bool HasForeignEncoding(const std::filesystem::path& file);
    // Replaces the file with the document as a whole; false (and the old file kept) when it
    // cannot be written, or when the name holds something Load refuses to read (a FIFO, a
    // device or a link to one, an oversized file): that is neither written into nor replaced.
    bool Save(const std::filesystem::path& file) const;

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the value in place, or adds the key at the end of its section, or adds the
    // section at the end of the document.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

private:
    // Index of the section's header line, or nullopt.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // Index one past the section's last line.
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;

    std::vector<std::string> m_lines;
    bool m_crlf = false;
    bool m_byteOrderMark = false;  // a UTF-8 mark before the first line, kept on saving
};

}  // namespace zep
