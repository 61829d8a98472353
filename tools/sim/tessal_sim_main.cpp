// tessal-sim: a collector running Tessal on a pseudo-terminal, for the demo and for trying the
// program without a device.
#include <iostream>

#include "tools/sim/sim_content.h"
#include "tools/sim/sim_program.h"

int main(int argc, char** argv) {
    using namespace zep::sim;
    ProgramSettings settings;
    std::string error;
    switch (ParseProgramArguments(DeviceKind::Tessal, {argv + 1, argv + argc}, settings, error)) {
        case ParseOutcome::Help:
            std::cout << UsageText(DeviceKind::Tessal);
            return 0;
        case ParseOutcome::Error:
            std::cerr << error << "\n" << UsageText(DeviceKind::Tessal);
            return 2;
        case ParseOutcome::Run:
            break;
    }
    TessalDatabase database;
    if (settings.folder) {
        auto loaded = LoadTessalDatabase(*settings.folder, settings.volumeSize);
        if (!loaded) {
            std::cerr << "cannot read " << *settings.folder << "\n";
            return 1;
        }
        database = std::move(*loaded);
    } else {
        database = GenerateTessalDatabase(settings.generate, settings.seed);
    }
    database.version = settings.version;
    for (const auto& archive : database.archives) {
        std::size_t bytes = 0;
        for (const auto& volume : archive.volumes) {
            bytes += volume.size();
        }
        PrintLine("holds " + archive.source + ": " + std::to_string(archive.volumes.size()) +
                  " volume(s), " + std::to_string(bytes) + " bytes");
    }
    TessalCollectorSim collector(std::move(database), OptionsFor(DeviceKind::Tessal, settings));
    return RunDevice(collector, settings);
}
