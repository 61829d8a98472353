#pragma once
// Small configuration files (the settings file, the files of the dispatch system and Zuvo, the
// autostart entry) are read like every other file the program takes in: only from a plain file
// (a link to one is followed, a FIFO or device is never opened, so nothing can block the start
// or the conversion), and only up to a size no such file reaches, so a link to an endless
// device costs no memory. Whatever cannot be read so counts as missing; the state says why.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zep {

// Settings files are a few hundred bytes; a megabyte is far beyond any real one.
inline constexpr std::uint64_t kMaxConfigFileBytes = 1024 * 1024;

enum class ConfigFileState {
    Read,          // the text is the whole file
    Missing,       // no such name
    NotPlainFile,  // a folder, FIFO, device or socket, or a link to one
    TooLarge,      // more than kMaxConfigFileBytes
    Unreadable,    // opening or reading failed (permissions, a disk error)
};

struct ConfigFileText {
    ConfigFileState state = ConfigFileState::Missing;
    std::string text;  // empty unless Read
};

ConfigFileText ReadConfigFile(const std::filesystem::path& file);

// Replaces the file's whole content. What the reader refuses (a FIFO, a device or a link to one,
// a folder, an oversized or unreadable file) was never read, so its content would be lost unseen,
// and writing into a FIFO would block: it stays, and false is returned. The text is written
// beside the file and swapped in, so a full disk or a crash half-way leaves the previous content.
bool WriteConfigFile(const std::filesystem::path& file, std::string_view text);

}  // namespace zep
