#include "app/headless.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "app/console_view.h"
#include "app/main_controller.h"
#include "app/worker_threads.h"
#include "platform/broken_pipe.h"
#include "platform/config_home.h"
#include "platform/console.h"
#include "platform/desktop_open.h"
#include "platform/exit_signals.h"
#include "platform/folder_lock.h"
#include "platform/program_path.h"
#include "platform/time_base.h"

namespace zep {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr milliseconds kPollPeriod{1000};
// How long a requested exit may wait before it is tried again, and messages at most wait.
constexpr milliseconds kWakeUp{100};

void RunUntilExit(MainController& controller) {
    auto nextTick = steady_clock::now() + kPollPeriod;
    for (;;) {
        const auto now = steady_clock::now();
        const auto wait = std::clamp(std::chrono::duration_cast<milliseconds>(nextTick - now),
                                     milliseconds{0}, kWakeUp);
        controller.Messages().WaitFor(wait);
        controller.DeliverMessages();
        if (ExitSignalReceived() && controller.RequestExitBetweenFiles()) {
            return;
        }
        if (steady_clock::now() >= nextTick) {
            controller.PollTick();
            // A late tick is not made up for; the next one is a period later.
            nextTick = std::max(nextTick + kPollPeriod, steady_clock::now());
        }
    }
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
        std::cerr << "zepimport: the program folder " << programFile.parent_path().string()
                  << " is in use by another running zepimport; not started\n";
        return 1;
    }
    if (folderLock.GetState() == FolderLock::State::Unavailable) {
        std::cerr << "zepimport: the program folder " << programFile.parent_path().string()
                  << " cannot be locked; a second instance on it would not be noticed\n";
    }
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), programFile.parent_path());
    ConsoleView view(std::cout, std::cerr, StdoutIsTerminal());
    MainController controller({view, *parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                               DefaultClock(), SettingsFileFor(programFile), programFile,
                               ConfigHome(), OpenWithDesktop});
    controller.Initialise(false);
    std::cerr << "zepimport: running without a window, program folder "
              << programFile.parent_path().string() << "; SIGINT or SIGTERM ends it\n"
              << std::flush;
    RunUntilExit(controller);
    if (!controller.Close()) {
        // A closing step failed: the next run would start from old settings without a word.
        std::cerr << "zepimport: settings NOT saved to " << SettingsFileFor(programFile).string()
                  << "; port closed, drivers unloaded\n";
        return 1;
    }
    std::cerr << "zepimport: settings saved, port closed, drivers unloaded\n";
    return 0;
}

}  // namespace zep
