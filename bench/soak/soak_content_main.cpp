// zep-soak-content: writes a card for the soak run, meter archives under serial numbers of
// their own, and prints the serial numbers written, one a line:
//   zep-soak-content CARD_ROOT FIRST_SERIAL COUNT      (files go to CARD_ROOT/Pexilor/Tessal)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/soak/soak_content.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: zep-soak-content CARD_ROOT FIRST_SERIAL COUNT\n");
        return 2;
    }
    const auto folder = std::filesystem::path(argv[1]) / "Pexilor" / "Tessal";
    std::filesystem::create_directories(folder);
    const int first = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    for (int serial = first; serial < first + count; ++serial) {
        const auto item = zep::soak::Archive(zep::soak::Kind::Zep, serial);
        std::ofstream out(folder / item.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(item.bytes.data()),
                  static_cast<std::streamsize>(item.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (folder / item.name).c_str());
            return 1;
        }
        std::printf("%d\n", serial);
    }
    return 0;
}
