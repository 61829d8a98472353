// zep-kill-card: writes a card for the kill proof, under serial numbers of its own: two ".zep"
// meter archives and a card database of three archives (the first of two volumes), and prints
// the serial numbers written, one a line:
//   zep-kill-card CARD_ROOT FIRST_SERIAL      (files go to CARD_ROOT/Pexilor/Tessal)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/soak/soak_content.h"
#include "tools/cardgen/card_builders.h"

namespace {

using zep::cardgen::Bytes;

// The records of an assembled soak archive, as the volumes of a card database hold them: what
// follows its title area.
Bytes Records(int serial) {
    const Bytes image = zep::soak::Archive(zep::soak::Kind::Tessal, serial).bytes;
    const std::size_t title = (std::size_t{image[0]} << 8) | image[1];
    return Bytes(image.begin() + static_cast<std::ptrdiff_t>(2 + title), image.end());
}

std::vector<Bytes> Volumes(int serial, int count) {
    const Bytes records = Records(serial);
    std::vector<Bytes> volumes;
    const std::size_t step = records.size() / static_cast<std::size_t>(count) + 1;
    for (std::size_t at = 0; at < records.size(); at += step) {
        volumes.emplace_back(
            records.begin() + static_cast<std::ptrdiff_t>(at),
            records.begin() + static_cast<std::ptrdiff_t>(std::min(records.size(), at + step)));
    }
    return volumes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zep-kill-card CARD_ROOT FIRST_SERIAL\n");
        return 2;
    }
    const auto folder = std::filesystem::path(argv[1]) / "Pexilor" / "Tessal";
    std::filesystem::create_directories(folder);
    const int first = std::atoi(argv[2]);
    for (int serial = first; serial < first + 2; ++serial) {
        const auto item = zep::soak::Archive(zep::soak::Kind::Zep, serial);
        zep::cardgen::WriteBytes(folder / item.name, item.bytes);
        std::printf("%d\n", serial);
    }
    zep::cardgen::CardDatabaseBuilder database;
    for (int serial = first + 2; serial < first + 5; ++serial) {
        // assign() rather than = "1": GCC 12 warns of an overlapping copy there, a false alarm.
        zep::cardgen::CardRecordSpec spec;
        spec.virtualList.assign(1, '1');
        spec.serial = std::to_string(serial);
        database.AddArchive(spec, Volumes(serial, serial == first + 2 ? 2 : 1));
        std::printf("%d\n", serial);
    }
    zep::cardgen::WriteBytes(folder / "TESSAL.DAT", database.Build());
    return 0;
}
