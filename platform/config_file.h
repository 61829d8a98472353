#pragma once
// Small configuration files (the settings file, the files of the dispatch system and Zuvo, the
// autostart entry) are read like every other file the program takes in: only from a plain file
// (a link to one is followed, a FIFO or device is never opened, so nothing can block the start
// or the conversion), and only up to a size no such file reaches, so a link to an endless
// device costs no memory. Whatever cannot be read so counts as missing; the state says why.
#include <cstdint>
#include <filesystem>
#include <string>

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

}  // namespace zep
