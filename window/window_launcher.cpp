// The lean program's way to the desktop window: the window program found and run in its place.
#include <filesystem>
#include <system_error>

#include "core/path_text.h"
#include "platform/program_path.h"
#include "platform/replace_process.h"
#include "window/window_program.h"

namespace zep {

namespace {

constexpr const char* kWindowProgram = "zepimport-window";

std::vector<std::filesystem::path> WindowProgramPlaces(const std::filesystem::path& launcher) {
    const auto folder = launcher.parent_path();
    return {folder / kWindowProgram,
            (folder / ZEP_WINDOW_FOLDER_FROM_BINDIR / kWindowProgram).lexically_normal()};
}

}  // namespace

int LaunchWindowProgram(const std::string& name, const std::vector<std::string>& arguments,
                        std::ostream& err) {
    const auto launcher = ExecutablePath();
    const auto places = WindowProgramPlaces(launcher);
    for (const auto& place : places) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(place, error)) {
            continue;
        }
        // The path's own bytes: any other text would name another file.
        std::vector<std::string> line{name, kLauncherOption, launcher.string()};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const std::string reason = ReplaceProcess(place, line);
        err << "zepimport: the window program " << PathToUtf8(place)
            << " cannot be started: " << reason << "\n";
        return 1;
    }
    err << "zepimport: the window program " << kWindowProgram << " is missing (looked for "
        << PathToUtf8(places[0]) << " and " << PathToUtf8(places[1])
        << "); reinstall the program, or run without a window: zepimport --headless\n";
    return 1;
}

}  // namespace zep
