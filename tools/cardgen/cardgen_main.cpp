// Writes a card folder (<root>/Pexilor/Tessal) for the demo and for manual checks:
//   cardgen ROOT [--archives N] [--volumes V] [--payload BYTES] [--no-files]
//               [--damage none|bad-check|broken-chain|version1|second-block|zero-count|
//                         equal-offsets|void|deleted]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "tools/cardgen/card_builders.h"
#include "tools/sim/sim_content.h"

namespace {

using namespace zep::cardgen;

struct Options {
    std::filesystem::path root;
    int archives = 3;
    int volumes = 2;
    std::size_t payload = 2000;  // bytes of readings per archive
    bool wholeFiles = true;
    std::string damage = "none";
};

// On standard output with status 0 when asked for, on standard error with status 2 after a
// wrong command line.
int Usage(bool asked) {
    std::fprintf(asked ? stdout : stderr,
                 "usage: cardgen ROOT [--archives N] [--volumes V] [--payload BYTES] [--no-files]\n"
                 "       [--damage none|bad-check|broken-chain|version1|second-block|zero-count|\n"
                 "                 equal-offsets|void|deleted]\n");
    return asked ? 0 : 2;
}

bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return true;
        }
    }
    return false;
}

bool Parse(int argc, char** argv, Options& options) {
    if (argc < 2 || argv[1][0] == '-') {
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

// About `bytes` of meter readings as the sample M1 driver renders them, as assembled-archive
// records ('T', kind, length, data), cut into `volumes` pieces: joined in order they give the
// record stream again, as the import joins the volumes of a chain.
std::vector<Bytes> ReadingVolumes(std::size_t bytes, int volumes, unsigned seed) {
    constexpr std::time_t kStart = 1175990400;  // 2007-04-08
    const int hours = std::max(1, static_cast<int>(bytes / 40));
    Bytes stream;
    for (const auto& record : zep::sim::GenerateReadings(seed, hours, kStart)) {
        stream.push_back('T');
        stream.push_back(record.kind);
        stream.push_back(static_cast<std::uint8_t>(record.data.size() >> 8));
        stream.push_back(static_cast<std::uint8_t>(record.data.size()));
        stream.insert(stream.end(), record.data.begin(), record.data.end());
    }
    std::vector<Bytes> pieces;
    const std::size_t step = (stream.size() + volumes - 1) / static_cast<std::size_t>(volumes);
    for (std::size_t at = 0; at < stream.size(); at += step) {
        const std::size_t end = std::min(stream.size(), at + step);
        pieces.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                            stream.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return pieces;
}

CardDatabaseBuilder BuildDatabase(const Options& options) {
    CardDatabaseBuilder builder;
    for (int a = 0; a < options.archives; ++a) {
        CardRecordSpec first;
        first.serial = std::to_string(200001 + a);
        first.vname = "ЦТП-" + std::to_string(a + 1);
        first.virtualList = std::to_string(a % 4 + 1);
        builder.AddArchive(
            first, ReadingVolumes(options.payload, options.volumes, static_cast<unsigned>(a + 1)));
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
    if (AsksForHelp(argc, argv)) {
        return Usage(true);
    }
    Options options;
    if (!Parse(argc, argv, options)) {
        return Usage(false);
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
        for (const auto& reading : zep::sim::GenerateReadings(7, 24, 1175990400)) {
            archive.records.push_back({reading.kind, reading.data});
        }
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
