// Writes a card folder (<root>/Pexilor/Tessal) for the demo and for manual checks:
//   cardgen ROOT [--archives N] [--volumes V] [--payload BYTES] [--no-files]
//               [--damage none|bad-check|broken-chain|version1|second-block|zero-count|
//                         equal-offsets|void|deleted]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/cardgen/card_builders.h"

namespace {

using namespace zep::cardgen;

struct Options {
    std::filesystem::path root;
    int archives = 3;
    int volumes = 2;
    std::size_t payload = 200;
    bool wholeFiles = true;
    std::string damage = "none";
};

int Usage() {
    std::fprintf(stderr,
                 "usage: cardgen ROOT [--archives N] [--volumes V] [--payload BYTES] [--no-files]\n"
                 "       [--damage none|bad-check|broken-chain|version1|second-block|zero-count|\n"
                 "                 equal-offsets|void|deleted]\n");
    return 2;
}

bool Parse(int argc, char** argv, Options& options) {
    if (argc < 2) {
        return false;
    }
    options.root = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool hasValue = i + 1 < argc;
        if (flag == "--no-files") {
            options.wholeFiles = false;
        } else if (flag == "--archives" && hasValue) {
            options.archives = std::atoi(argv[++i]);
        } else if (flag == "--volumes" && hasValue) {
            options.volumes = std::atoi(argv[++i]);
        } else if (flag == "--payload" && hasValue) {
            options.payload = std::strtoul(argv[++i], nullptr, 10);
        } else if (flag == "--damage" && hasValue) {
            options.damage = argv[++i];
        } else {
            return false;
        }
    }
    return options.archives >= 0 && options.volumes >= 1;
}

CardDatabaseBuilder BuildDatabase(const Options& options) {
    CardDatabaseBuilder builder;
    for (int a = 0; a < options.archives; ++a) {
        CardRecordSpec first;
        first.serial = std::to_string(200001 + a);
        first.vname = "ЦТП-" + std::to_string(a + 1);
        first.virtualList = std::to_string(a % 4 + 1);
        std::vector<Bytes> payloads;
        for (int v = 0; v < options.volumes; ++v) {
            payloads.push_back(
                PatternBytes(options.payload, static_cast<std::uint32_t>(a * 100 + v)));
        }
        builder.AddArchive(first, payloads);
    }
    if (options.damage == "broken-chain") {
        // A chain 1, 3: the second volume never made it to the card.
        CardRecordSpec orphan;
        orphan.volume = "3";
        orphan.payload = PatternBytes(options.payload, 999);
        CardRecordSpec first = orphan;
        first.volume = "1";
        builder.Add(first).Add(orphan);
    }
    return builder;
}

void Damage(const std::string& damage, CardDatabaseBuilder& builder, Bytes& image,
            const CardLayout& layout) {
    const auto patchIndexFlags = [&](std::size_t i, std::uint8_t flags) {
        if (i < layout.indexPositions.size()) {
            image[layout.indexPositions[i] + 4] = flags;
        }
    };
    if (damage == "bad-check" && !layout.recordOffsets.empty()) {
        image[layout.recordOffsets.back() + 10] ^= 0xFF;
    } else if (damage == "version1") {
        image[35] = 1;
    } else if (damage == "second-block") {
        image = builder.SecondBlockAfter(std::max<std::size_t>(1, builder.Count() / 2)).Build();
    } else if (damage == "zero-count") {
        image[76] = 0;
        image[77] = 0;
    } else if (damage == "equal-offsets" && layout.indexPositions.size() > 1) {
        std::memcpy(&image[layout.indexPositions[1]], &image[layout.indexPositions[0]], 4);
    } else if (damage == "void") {
        patchIndexFlags(0, 0x80);
    } else if (damage == "deleted") {
        patchIndexFlags(0, 0x10);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        return Usage();
    }
    const auto folder = options.root / "Pexilor" / "Tessal";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 1;
    }
    if (options.wholeFiles) {
        MeterArchiveSpec archive;
        archive.records = {{1, PatternBytes(32, 1)}, {2, PatternBytes(48, 2)}};
        WriteBytes(folder / "00000001.zep", BuildMeterArchive(archive));
        WriteBytes(folder / "00000002.zvo", ToCp1251Bytes("Протокол печати\r\n"));
    }
    CardDatabaseBuilder builder = BuildDatabase(options);
    CardLayout layout;
    Bytes image = builder.Build(&layout);
    Damage(options.damage, builder, image, layout);
    WriteBytes(folder / "TESSAL.DAT", image);
    std::printf("%s: %zu records, %zu bytes\n", folder.c_str(), builder.Count(), image.size());
    return 0;
}
