// Start of the desktop mode on Windows and its end: everything the closing steps need lives
// until the dialog's message loop returns.
#include "window/win32/run_window.h"

#include <windows.h>

#include "app/help_request.h"
#include "app/main_controller.h"
#include "app/worker_threads.h"
#include "core/clock.h"
#include "core/utf8_text.h"
#include "core/worker_lock.h"
#include "platform/autostart.h"
#include "platform/dispatch_values.h"
#include "platform/folder_lock.h"
#include "platform/help_viewer.h"
#include "platform/program_path.h"
#include "platform/time_base.h"
#include "ui/preview_template.h"
#include "window/win32/main_dialog.h"
#include "window/win32/preview_dialog.h"

namespace zep::win32 {

namespace {

constexpr const char* kTimeZoneError = "Ошибка инициализации временной зоны!";
// As the service says it on its error stream.
std::string FolderInUse(const std::filesystem::path& folder) {
    return "zepimport: the program folder " + folder.string() +
           " is in use by another running zepimport; not started";
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
    if (!FixTimeBase()) {
        MessageBoxW(nullptr, Widen(kTimeZoneError).c_str(), nullptr, MB_OK | MB_ICONERROR);
        return 1;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto programFile = ProgramFile();
    // Held until the window has closed: a second instance would convert the same raw files.
    const auto folder = programFile.parent_path();
    const auto folderLock = FolderLock::Acquire(folder);
    if (folderLock.GetState() == FolderLock::State::InUse) {
        MessageBoxW(nullptr, Widen(FolderInUse(folder)).c_str(), nullptr, MB_OK | MB_ICONERROR);
        return 1;
    }
    const auto layoutFile = folder / kListLayoutFileName;
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), folder);
    MainDialog dialog(instance, showCommand, [instance, layoutFile](const std::string& cardFolder) {
        return PreviewDialog(instance, cardFolder, layoutFile).Run();
    });
    const auto autostart = CreateSessionAutostart();
    MainController controller({dialog, *parts.subsystems, *parts.drives, *parts.serial,
                               g_workerLock, DefaultClock(), SettingsFileFor(programFile),
                               programFile, *autostart, DispatchValues::Installed(),
                               [&dialog](const std::filesystem::path& helpFile) {
                                   ShowHelpTopic(dialog.Window(), helpFile, kHelpTopic);
                               }});
    if (!dialog.Create(controller, DefaultClock())) {
        return 1;
    }
    dialog.RunMessageLoop();
    return 0;
}

}  // namespace zep::win32
