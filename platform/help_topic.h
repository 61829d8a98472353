#pragma once
// Shows one topic of an HTML Help file over a window of the program. Windows' HTML Help is
// loaded on first use and, where it cannot be, help does nothing from then on; elsewhere the
// help file goes to the desktop's handler, which takes no topic. Nothing is reported either way.
#include <filesystem>
#include <string>

namespace zep {

// owner: the native handle of the owning window (a window handle on Windows), or nullptr.
// topic: the topic inside the file, such as "::/page.htm".
void ShowHelpTopic(void* owner, const std::filesystem::path& helpFile, const std::string& topic);

}  // namespace zep
