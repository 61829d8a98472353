// Builds the soak run's archives from the simulators' generators, under given serial numbers.
#include "bench/soak/soak_content.h"

#include <algorithm>
#include <ctime>

#include "tools/sim/sim_content.h"

namespace zep::soak {

namespace {

constexpr std::time_t kFirstReading = 1175990400;  // 2007-04-08
constexpr std::size_t kKolvarSerialAt = 15;        // after the 15 bytes of the place name
constexpr std::size_t kKolvarSerialSize = 15;

std::vector<sim::ArchiveRecord> Readings(int serial) {
    const int hours = 30 + serial % 90;
    return sim::GenerateReadings(static_cast<unsigned>(serial), hours,
                                 kFirstReading + 3600 * (serial % 5000));
}

}  // namespace

Item Archive(Kind kind, int serial) {
    const std::string number = std::to_string(serial);
    if (kind == Kind::Zep) {
        const std::string header =
            "Type=M1\nSerial=" + number + "\nVirtual=1\nVname=Soak\nTime=8.4.2007 0:00\n";
        return {"M1_" + number + ".zep", sim::BuildMeterArchive(header, Readings(serial))};
    }
    if (kind == Kind::Tessal) {
        return {"A" + number + ".bin",
                sim::BuildAssembledArchive({"8.4.2007 0:00", "M1", "1", "Soak", number, "1"},
                                           Readings(serial))};
    }
    auto record = sim::GenerateKolvarRecords(1, static_cast<unsigned>(serial)).front().bytes;
    std::fill_n(record.begin() + kKolvarSerialAt, kKolvarSerialSize, 0);
    std::copy(number.begin(), number.end(), record.begin() + kKolvarSerialAt);
    return {"R" + number + ".rec", std::move(record)};
}

}  // namespace zep::soak
