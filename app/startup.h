#pragma once
// The program's start, the same for every front end: the fixed time base, the lock on the
// program folder, the real subsystems, the session's autostart carrier and the dispatch
// system's values. The front end brings only what it alone knows: how it shows a start-up
// message, and its view and event loop over the controller.
#include <filesystem>
#include <functional>
#include <string>

#include "app/main_controller.h"

namespace zep {

enum class StartNotice {
    Error,   // the program does not start
    Warning  // the program starts all the same
};

struct FrontEnd {
    // Shows a start-up message where its user sees it: a line on the error stream, a message
    // box.
    std::function<void(StartNotice notice, const std::string& text)> show;
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
