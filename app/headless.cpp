// The service mode's start and its loop: the controller driven by the pump until an exit signal
// is accepted.
#include "app/headless.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>

#include "app/console_view.h"
#include "app/controller_pump.h"
#include "app/main_controller.h"
#include "app/worker_threads.h"
#include "core/path_text.h"
#include "platform/broken_pipe.h"
#include "platform/console.h"
#include "platform/desktop_open.h"
#include "platform/exit_signals.h"
#include "platform/folder_lock.h"
#include "platform/program_path.h"
#include "platform/time_base.h"

namespace zep {

namespace {

// How long a requested exit may wait before it is tried again.
constexpr std::int64_t kExitCheckMs = 100;

void RunUntilExit(MainController& controller, ControllerPump& pump) {
    for (;;) {
        const auto wait = std::min(pump.MsUntilTick(), kExitCheckMs);
        controller.Messages().WaitFor(std::chrono::milliseconds{wait});
        pump.DeliverMessages();
        if (ExitSignalReceived() && controller.RequestExitBetweenFiles()) {
            return;
        }
        pump.TickIfDue();
    }
}

// Says where the files go; an installed program's data-home folder is named with the reason.
std::string StartNote(const ProgramFolderChoice& choice) {
    std::string note =
        "zepimport: running without a window, program folder " + PathToUtf8(choice.folder);
    if (choice.source == ProgramFolderSource::DataHome) {
        note += " (the folder of the executable cannot be written)";
    }
    return note + "; " + ExitRequestWays() + " ends it\n";
}

}  // namespace

int RunHeadless() {
    IgnoreBrokenPipes();
    InstallExitSignals();
    if (!FixTimeBase()) {
        std::cerr << "Ошибка инициализации временной зоны!\n";
        return 1;
    }
    const auto programFile = ProgramFile();
    // Held until the process ends; a second instance would convert the same raw files again.
    const auto folderLock = FolderLock::Acquire(programFile.parent_path());
    if (folderLock.GetState() == FolderLock::State::InUse) {
        std::cerr << "zepimport: the program folder " << PathToUtf8(programFile.parent_path())
                  << " is in use by another running zepimport; not started\n";
        return 1;
    }
    if (folderLock.GetState() == FolderLock::State::Unavailable) {
        std::cerr << "zepimport: the program folder " << PathToUtf8(programFile.parent_path())
                  << " cannot be locked; a second instance on it would not be noticed\n";
    }
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), programFile.parent_path());
    ConsoleView view(std::cout, std::cerr, StdoutIsTerminal());
    const auto autostart = CreateSessionAutostart();
    MainController controller({view, *parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                               DefaultClock(), SettingsFileFor(programFile), programFile,
                               *autostart, DispatchValues::Installed(), OpenWithDesktop});
    controller.Initialise(false);
    std::cerr << StartNote(ProgramFolderInUse()) << std::flush;
    ControllerPump pump(controller, DefaultClock());
    RunUntilExit(controller, pump);
    if (!controller.Close()) {
        // A closing step failed: the next run would start from old settings without a word.
        std::cerr << "zepimport: settings NOT saved to " << PathToUtf8(SettingsFileFor(programFile))
                  << "; port closed, drivers unloaded\n";
        return 1;
    }
    std::cerr << "zepimport: settings saved, port closed, drivers unloaded\n";
    return 0;
}

}  // namespace zep
