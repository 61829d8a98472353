// kolvar-sim: a Kolvar device on a pseudo-terminal, for the demo and for trying the program
// without a device.
#include <iostream>

#include "tools/sim/sim_content.h"
#include "tools/sim/sim_program.h"

int main(int argc, char** argv) {
    using namespace zep::sim;
    ProgramSettings settings;
    std::string error;
    switch (ParseProgramArguments(DeviceKind::Kolvar, {argv + 1, argv + argc}, settings, error)) {
        case ParseOutcome::Help:
            std::cout << UsageText(DeviceKind::Kolvar);
            return 0;
        case ParseOutcome::Error:
            std::cerr << error << "\n" << UsageText(DeviceKind::Kolvar);
            return 2;
        case ParseOutcome::Run:
            break;
    }
    std::vector<KolvarRecord> records;
    if (settings.folder) {
        auto loaded = LoadKolvarRecords(*settings.folder);
        if (!loaded) {
            std::cerr << "cannot read " << *settings.folder << "\n";
            return 1;
        }
        records = std::move(*loaded);
    } else {
        records = GenerateKolvarRecords(settings.generate, settings.seed);
    }
    for (const auto& record : records) {
        PrintLine("holds " + record.source + ", " + std::to_string(record.bytes.size()) + " bytes");
    }
    KolvarDeviceSim device(std::move(records), OptionsFor(DeviceKind::Kolvar, settings));
    return RunDevice(device, settings);
}
