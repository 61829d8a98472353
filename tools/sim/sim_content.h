#pragma once
// What the simulated devices hold: built from given records, generated with realistic sizes, or
// read from a folder. Texts meant for the dispatch system (names, header values, title strings)
// are Windows-1251 bytes, as a device would hold them.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/kolvar_device_sim.h"
#include "tools/sim/tessal_collector_sim.h"
#include "tools/sim/zep_adapter_sim.h"

namespace zep::sim {

struct ArchiveRecord {
    std::uint8_t kind = 0;
    std::vector<std::uint8_t> data;
};

// A meter archive (".zep"): "tess", two unused bytes, the header block (the text, its NUL and
// check word) and the records (L, 'T', kind, data, check word), numbers least significant
// byte first. Records longer than a 16-bit length allows are left out.
std::vector<std::uint8_t> BuildMeterArchive(std::string_view headerText,
                                            const std::vector<ArchiveRecord>& records);
// An assembled archive: H (most significant byte first), the title strings each with its NUL,
// then the records 'T', kind, n (most significant first), data.
std::vector<std::uint8_t> BuildAssembledArchive(const std::vector<std::string>& titleStrings,
                                                const std::vector<ArchiveRecord>& records);
// Splits an assembled archive into Tessal volumes of at most maxVolumeData bytes each (more for
// a first volume whose title area alone is longer). Every volume starts with the title area;
// string 5, where there is one, becomes the volume's number from 1. Volume 0 followed by the
// other volumes without their title areas gives back the image. An image shorter than its title
// area becomes one volume, unchanged.
std::vector<std::vector<std::uint8_t>> SplitIntoVolumes(std::span<const std::uint8_t> image,
                                                        std::size_t maxVolumeData);

// Meter readings as the sample meter type "M1" records them (layout in docs/simulators.md).
std::vector<ArchiveRecord> GenerateReadings(unsigned seed, int count, std::time_t start);

// Generated sets; the same seed gives the same content.
std::vector<ZepFile> GenerateZepFiles(int count, unsigned seed);
TessalDatabase GenerateTessalDatabase(int count, unsigned seed);
std::vector<KolvarRecord> GenerateKolvarRecords(int count, unsigned seed);

// Content from a folder, files in name order. ZEP: every file as it is. Tessal: every ".bin"
// assembled archive (any letter case), split into volumes. Kolvar: every file as one record.
// nullopt when the folder cannot be read.
std::optional<std::vector<ZepFile>> LoadZepFiles(const std::filesystem::path& folder);
std::optional<TessalDatabase> LoadTessalDatabase(const std::filesystem::path& folder,
                                                 std::size_t maxVolumeData = 8192);
std::optional<std::vector<KolvarRecord>> LoadKolvarRecords(const std::filesystem::path& folder);

}  // namespace zep::sim
