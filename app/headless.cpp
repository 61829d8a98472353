// The service mode: the console as the front end of the shared start-up, and its loop, the
// controller driven by the pump until an exit signal is accepted.
#include "app/headless.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <utility>

#include "app/console_view.h"
#include "app/controller_pump.h"
#include "app/main_controller.h"
#include "app/startup.h"
#include "core/path_text.h"
#include "platform/broken_pipe.h"
#include "platform/console.h"
#include "platform/exit_signals.h"
#include "platform/program_path.h"

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

// The service's own part of the start: the console as its view, the pump as its loop.
int RunConsole(ControllerSetup setup) {
    ConsoleView view(std::cout, std::cerr, StdoutIsTerminal());
    const auto iniPath = setup.iniPath;
    Clock& clock = setup.clock;
    MainController controller(view, std::move(setup));
    controller.Initialise(false);
    std::cerr << StartNote(ProgramFolderInUse()) << std::flush;
    ControllerPump pump(controller, clock);
    RunUntilExit(controller, pump);
    if (!controller.Close()) {
        // A closing step failed: the next run would start from old settings without a word.
        std::cerr << "zepimport: settings NOT saved to " << PathToUtf8(iniPath)
                  << "; port closed, drivers unloaded\n";
        return 1;
    }
    std::cerr << "zepimport: settings saved, port closed, drivers unloaded\n";
    return 0;
}

}  // namespace

int RunHeadless() {
    IgnoreBrokenPipes();
    InstallExitSignals();
    return StartProgram(
        {[](const std::string& text) { std::cerr << text << "\n"
                                                 << std::flush; }, RunConsole});
}

}  // namespace zep
