// Help without HTML Help: the desktop's handler opens the help file at its start.
#include "platform/desktop_open.h"
#include "platform/help_viewer.h"

namespace zep {

void ShowHelpTopic(void*, const std::filesystem::path& helpFile, std::string_view) {
    OpenWithDesktop(helpFile);
}

}  // namespace zep
