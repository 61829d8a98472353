#include "app/headless.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "app/console_view.h"
#include "app/main_controller.h"
#include "app/worker_threads.h"
#include "core/path_text.h"
#include "platform/console.h"
#include "platform/desktop_open.h"
#include "platform/exit_signals.h"
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
        if (ExitSignalReceived() && controller.RequestExit()) {
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
    InstallExitSignals();
    if (!FixTimeBase()) {
        std::cerr << "Ошибка инициализации временной зоны!\n";
        return 1;
    }
    const auto programFile = ProgramFile();
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), programFile.parent_path());
    ConsoleView view(std::cout, std::cerr, StdoutIsTerminal());
    const auto autostart = CreateSessionAutostart();
    MainController controller({view, *parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                               DefaultClock(), SettingsFileFor(programFile), programFile,
                               *autostart, DispatchValues::Installed(), OpenWithDesktop});
    controller.Initialise(false);
    std::cerr << "zepimport: running without a window, program folder "
              << PathToUtf8(programFile.parent_path()) << "; SIGINT or SIGTERM ends it\n"
              << std::flush;
    RunUntilExit(controller);
    controller.Close();
    std::cerr << "zepimport: settings saved, port closed, drivers unloaded\n";
    return 0;
}

}  // namespace zep
