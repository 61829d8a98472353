#pragma once
// Starting together with the user's session: an entry of the session that names the program
// file. The carrier is the backend's (an XDG autostart entry on Linux, the Run key on Windows);
// the entry present and naming this program file (letter case aside) means on.
#include <filesystem>
#include <memory>

namespace zep {

class Autostart {
public:
    virtual ~Autostart() = default;

    // Whether the entry is there and names this program file.
    virtual bool Query(const std::filesystem::path& programFile) const = 0;
    // Writes the entry (on) or removes it (off). False when that could not be done.
    virtual bool Set(const std::filesystem::path& programFile, bool on) = 0;
};

// The carrier of this system for the user running the program.
std::unique_ptr<Autostart> CreateSessionAutostart();

}  // namespace zep
