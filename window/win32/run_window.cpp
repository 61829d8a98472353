// The desktop mode on Windows on the shared start-up: its message boxes, the main dialog and its
// message loop.
#include "window/win32/run_window.h"

#include <windows.h>

#include <string>
#include <utility>

#include "app/help_request.h"
#include "app/main_controller.h"
#include "app/startup.h"
#include "core/clock.h"
#include "core/utf8_text.h"
#include "platform/help_viewer.h"
#include "ui/preview_template.h"
#include "window/win32/main_dialog.h"
#include "window/win32/preview_dialog.h"

namespace zep::win32 {

namespace {

void ShowStartError(const std::string& text) {
    MessageBoxW(nullptr, Widen(text).c_str(), nullptr, MB_OK | MB_ICONERROR);
}

// The window's own part of the start: the dialog as the view, its message loop until the
// guarded exit. Everything the closing steps need lives until the loop returns.
int RunDialog(int showCommand, ControllerSetup setup) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto layoutFile = setup.programFolder / kListLayoutFileName;
    MainDialog dialog(
        instance, showCommand,
        [instance, layoutFile](const std::string& cardFolder, const ImportHistory* history) {
            return PreviewDialog(instance, cardFolder, layoutFile, history).Run();
        });
    setup.openHelp = [&dialog](const std::filesystem::path& helpFile) {
        ShowHelpTopic(dialog.Window(), helpFile, kHelpTopic);
    };
    Clock& clock = setup.clock;
    MainController controller(dialog, std::move(setup));
    if (!dialog.Create(controller, clock)) {
        return 1;
    }
    dialog.RunMessageLoop();
    return 0;
}

}  // namespace

int StartupShowCommand() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
}

void LeaveOwnConsole() {
    DWORD processes[2] = {};
    if (GetConsoleWindow() && GetConsoleProcessList(processes, 2) == 1) {
        FreeConsole();
    }
}

int RunWindow(int showCommand) {
    return StartProgram({ShowStartError, [showCommand](ControllerSetup setup) {
                             return RunDialog(showCommand, std::move(setup));
                         }});
}

}  // namespace zep::win32
