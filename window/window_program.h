#pragma once
// On Linux the desktop window is a program of its own, zepimport-window, so that the service
// (zepimport --headless) never maps the toolkit's libraries. zepimport, started without a mode
// option, runs the window program in its own process's place and hands it its own path: the
// window program then has the launcher's identity (program folder, settings file name,
// autostart entry), and the process id, the signals and the exit status stay those of the
// process the user started.
#include <ostream>
#include <string>
#include <vector>

namespace zep {

// The window program's first option: the launcher's path, in whose place it runs.
inline constexpr const char* kLauncherOption = "--launcher";

// Runs the window program in this process's place, called by name, with the launcher's
// arguments. The program is looked for beside the launcher (a build folder, a folder of one's
// own), then in the program library folder of an install (<prefix>/lib/zepimport for
// <prefix>/bin/zepimport). Returns only when it could not be run, having said why on err: the
// exit status.
int LaunchWindowProgram(const std::string& name, const std::vector<std::string>& arguments,
                        std::ostream& err);

}  // namespace zep
