#pragma once
// The program's start, the same for every front end: the fixed time base, the lock on the
// program folder, the import history, the real subsystems, the session's autostart carrier and the
// dispatch system's values. The front end brings only what it alone knows: how it shows a start-up
// message, and its view and event loop over the controller.
#include <filesystem>
#include <functional>
#include <string>

#include "app/main_controller.h"

namespace zep {

struct FrontEnd {
    // Shows why the program does not start where its user sees it: a line on the error
    // stream, a message box. A warning that lets the program start goes to the log instead.
    std::function<void(const std::string& text)> showError;
    // Builds the view and the controller over the setup and runs them until the program ends;
    // returns the process exit status. Everything the setup refers to outlives the call.
    std::function<int(ControllerSetup setup)> run;
};

// Returns the process exit status: 1 when the start failed (the front end has shown why),
// otherwise what the front end's run returned.
int StartProgram(const FrontEnd& frontEnd);

// The start-up messages, as every front end shows them.
inline constexpr const char* kTimeBaseError = "Ошибка инициализации временной зоны!";
std::string FolderInUseText(const std::filesystem::path& folder);
std::string FolderNotLockedText(const std::filesystem::path& folder);

}  // namespace zep
