// The service mode's start and its loop: the controller driven by the pump until an exit signal
// is accepted.
#include "app/headless.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "app/console_view.h"
#include "app/controller_pump.h"
#include "app/main_controller.h"
#include "app/worker_threads.h"
#include "platform/config_home.h"
#include "platform/console.h"
#include "platform/desktop_open.h"
#include "platform/exit_signals.h"
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
        if (ExitSignalReceived() && controller.RequestExit()) {
            return;
        }
        pump.TickIfDue();
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
    MainController controller({view, *parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                               DefaultClock(), SettingsFileFor(programFile), programFile,
                               ConfigHome(), OpenWithDesktop});
    controller.Initialise(false);
    std::cerr << "zepimport: running without a window, program folder "
              << programFile.parent_path().string() << "; SIGINT or SIGTERM ends it\n"
              << std::flush;
    ControllerPump pump(controller, DefaultClock());
    RunUntilExit(controller, pump);
    controller.Close();
    std::cerr << "zepimport: settings saved, port closed, drivers unloaded\n";
    return 0;
}

}  // namespace zep
