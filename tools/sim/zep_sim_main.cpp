// zep-sim: a ZEP adapter on a pseudo-terminal, for the demo and for trying the program without
// a device.
#include <iostream>

#include "tools/sim/sim_content.h"
#include "tools/sim/sim_cp1251.h"
#include "tools/sim/sim_program.h"

int main(int argc, char** argv) {
    using namespace zep::sim;
    ProgramSettings settings;
    std::string error;
    switch (ParseProgramArguments(DeviceKind::Zep, {argv + 1, argv + argc}, settings, error)) {
        case ParseOutcome::Help:
            std::cout << UsageText(DeviceKind::Zep);
            return 0;
        case ParseOutcome::Error:
            std::cerr << error << "\n" << UsageText(DeviceKind::Zep);
            return 2;
        case ParseOutcome::Run:
            break;
    }
    std::vector<ZepFile> files;
    if (settings.folder) {
        auto loaded = LoadZepFiles(*settings.folder);
        if (!loaded) {
            std::cerr << "cannot read " << *settings.folder << "\n";
            return 1;
        }
        files = std::move(*loaded);
    } else {
        files = GenerateZepFiles(settings.generate, settings.seed);
    }
    for (const auto& file : files) {
        PrintLine("holds " + DecodeCp1251(file.name) + ", " + std::to_string(file.bytes.size()) +
                  " bytes");
    }
    ZepAdapterSim adapter(std::move(files), OptionsFor(DeviceKind::Zep, settings));
    return RunDevice(adapter, settings);
}
