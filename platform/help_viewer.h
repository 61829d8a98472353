#pragma once
// Shows one topic of the dispatch system's help file over a window of the program. Windows'
// HTML Help carries it there; elsewhere the file goes to the desktop's handler, which takes no
// topic. Nothing is reported either way: help that cannot be shown is simply not shown.
#include <filesystem>
#include <string_view>

namespace zep {

// owner: the native handle of the window the help belongs to (a window handle on Windows), or
// nullptr. topic: the topic inside the file, such as "::/page.htm".
void ShowHelpTopic(void* owner, const std::filesystem::path& helpFile, std::string_view topic);

}  // namespace zep
