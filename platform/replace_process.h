#pragma once
// Another program run in this process's place: the process id, the parent, the terminal, the
// signals' recipient and the exit status stay, as if that program had been started directly.
// On POSIX systems (execv), where the lean program hands the desktop window to a program of its
// own; the Windows program carries its window inside and has no body for this.
#include <filesystem>
#include <string>
#include <vector>

namespace zep {

// Runs program with the arguments (the first is the name it is called by) in place of this
// one. Returns only when that could not be done, with the system's reason.
std::string ReplaceProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments);

}  // namespace zep
