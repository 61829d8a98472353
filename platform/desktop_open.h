#pragma once
// Hands a file to the desktop's default handler (the help file, for instance). Never waits for
// the handler; a missing handler or file gives nothing.
#include <filesystem>

namespace zep {

void OpenWithDesktop(const std::filesystem::path& file);

}  // namespace zep
