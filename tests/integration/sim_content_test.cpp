// What the simulators hold: archives laid out byte for byte as the program reads them, generated
// contents that make valid archives, and folders read in name order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "convert/assembled_archive.h"
#include "convert/raw_archive_reader.h"
#include "core/crc16.h"
#include "tests/support/temp_dir.h"
#include "tools/sim/sim_content.h"

namespace zep::sim {
namespace {

TEST(SimContent, MeterArchiveLayoutIsByteExact) {
    const auto archive = BuildMeterArchive("Type=M1\n", {{7, {1, 2, 3}}, {9, {}}});
    const std::vector<std::uint8_t> text = {'T', 'y', 'p', 'e', '=', 'M', '1', '\n', 0};
    const std::uint16_t headerCrc = Crc16(text);
    const std::vector<std::uint8_t> first = {'T', 7, 1, 2, 3};
    const std::vector<std::uint8_t> second = {'T', 9};
    std::vector<std::uint8_t> expected = {'t', 'e', 's', 's', 1, 0, 11, 0};
    expected.insert(expected.end(), text.begin(), text.end());
    expected.push_back(headerCrc & 0xFF);
    expected.push_back(headerCrc >> 8);
    for (const auto& body : {first, second}) {
        expected.push_back(static_cast<std::uint8_t>(body.size() + 2));
        expected.push_back(0);
        expected.insert(expected.end(), body.begin(), body.end());
        const std::uint16_t crc = Crc16(body);
        expected.push_back(crc & 0xFF);
        expected.push_back(crc >> 8);
    }
    EXPECT_EQ(archive, expected);
}

TEST(SimContent, GeneratedZepFilesAreValidMeterArchivesAndPrinterProtocols) {
    test::TempDir folder;
    const auto files = GenerateZepFiles(8, 42);
    ASSERT_EQ(files.size(), 8u);
    EXPECT_EQ(GenerateZepFiles(8, 42)[5].bytes, files[5].bytes);
    EXPECT_NE(GenerateZepFiles(8, 43)[0].bytes, files[0].bytes);
    int archives = 0;
    for (const auto& file : files) {
        EXPECT_LE(file.name.size(), 15u) << file.name;
        if (file.name.find(".zvo") != std::string::npos) {
            EXPECT_FALSE(file.bytes.empty());
            continue;
        }
        ASSERT_NE(file.name.find(".zep"), std::string::npos) << file.name;
        test::WriteFileBytes(folder / file.name, file.bytes);
        RawArchiveReader reader;
        ASSERT_TRUE(reader.Open(folder / file.name)) << file.name;
        EXPECT_EQ(reader.GetValue("Type"), "M1");
        EXPECT_EQ("M1_" + reader.GetValue("Serial") + ".zep", file.name);
        EXPECT_FALSE(reader.GetValue("Vname").empty());
        const std::string virtualDevice = reader.GetValue("Virtual");
        EXPECT_TRUE(virtualDevice == "1" || virtualDevice == "2" || virtualDevice == "3");
        int records = 0;
        while (reader.ReadRecord()) {
            ++records;
        }
        EXPECT_EQ(reader.LastStop(), RawArchiveReader::StopReason::EndOfFile) << file.name;
        EXPECT_EQ(reader.GetProgress(), 100);
        EXPECT_GT(records, 30);
        EXPECT_LE(file.bytes.size(), 70000u);
        ++archives;
    }
    EXPECT_EQ(archives, 6);
}

TEST(SimContent, GeneratedTessalVolumesAssembleIntoValidArchives) {
    const auto database = GenerateTessalDatabase(6, 7);
    ASSERT_EQ(database.archives.size(), 6u);
    bool sawSeveralVolumes = false;
    for (const auto& archive : database.archives) {
        std::vector<std::uint8_t> joined;
        for (std::size_t index = 0; index < archive.volumes.size(); ++index) {
            const auto& volume = archive.volumes[index];
            ASSERT_LE(volume.size(), 8192u);
            const auto title = TitleArea(volume);
            EXPECT_EQ(NthString(title, 1), "M1");
            EXPECT_EQ(NthString(title, 5), std::to_string(index + 1));
            const std::size_t skip = index == 0 ? 0 : title.size() + 2;
            joined.insert(joined.end(), volume.begin() + static_cast<std::ptrdiff_t>(skip),
                          volume.end());
        }
        sawSeveralVolumes = sawSeveralVolumes || archive.volumes.size() > 1;
        int records = 0;
        EXPECT_EQ(WalkAssembledArchive(joined, [&](const AssembledRecord&) { return ++records; }),
                  WalkResult::Ok);
        EXPECT_GT(records, 40);
        EXPECT_GE(NthNumber(NthString(TitleArea(joined), 2), 0), 1);
    }
    EXPECT_TRUE(sawSeveralVolumes);
}

TEST(SimContent, SplittingKeepsShortOrEmptyImagesWhole) {
    const std::vector<std::uint8_t> cut = {0, 10, 'a', 0};
    EXPECT_EQ(SplitIntoVolumes(cut, 4), std::vector<std::vector<std::uint8_t>>{cut});
    const auto titleOnly = BuildAssembledArchive({"t", "M1", "1", "n", "s", "1"}, {});
    EXPECT_EQ(SplitIntoVolumes(titleOnly, 4), std::vector<std::vector<std::uint8_t>>{titleOnly});
    // Without a string 5 every volume repeats the title area as it is.
    const auto image = BuildAssembledArchive({"t", "M1"}, {{1, std::vector<std::uint8_t>(30, 5)}});
    const auto volumes = SplitIntoVolumes(image, 20);
    ASSERT_GT(volumes.size(), 2u);
    for (const auto& volume : volumes) {
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + 7, volume.begin()));
    }
}

TEST(SimContent, GeneratedKolvarRecordsHoldTheirTextsWhereTheExchangeTakesThem) {
    for (const auto& record : GenerateKolvarRecords(5, 3)) {
        ASSERT_GE(record.bytes.size(), 177u);
        EXPECT_LE(record.bytes.size(), 65535u);
        const auto* bytes = record.bytes.data();
        EXPECT_NE(std::memchr(bytes, 0, 15), nullptr);       // name
        EXPECT_NE(std::memchr(bytes + 15, 0, 15), nullptr);  // serial number
        EXPECT_NE(std::memchr(bytes + 30, 0, 19), nullptr);  // time, before the values at 49
        EXPECT_GT(std::strlen(reinterpret_cast<const char*>(bytes + 15)), 5u);
        EXPECT_EQ((record.bytes.size() - 177) % 28, 0u);
    }
}

TEST(SimContent, FoldersAreReadInNameOrder) {
    test::TempDir folder;
    test::WriteFileText(folder / "b.zep", "BB");
    test::WriteFileText(folder / "a.zvo", "A");
    test::WriteFileText(folder / "C.BIN", std::string("\0\2x\0rest", 7));
    const auto files = LoadZepFiles(folder.path());
    ASSERT_TRUE(files);
    ASSERT_EQ(files->size(), 3u);
    EXPECT_EQ((*files)[0].name, "C.BIN");
    EXPECT_EQ((*files)[1].name, "a.zvo");
    EXPECT_EQ((*files)[2].bytes, (std::vector<std::uint8_t>{'B', 'B'}));

    const auto database = LoadTessalDatabase(folder.path());
    ASSERT_TRUE(database);
    ASSERT_EQ(database->archives.size(), 1u);
    EXPECT_EQ(database->archives[0].source, "C.BIN");
    EXPECT_EQ(database->archives[0].volumes.size(), 1u);

    const auto records = LoadKolvarRecords(folder.path());
    ASSERT_TRUE(records);
    EXPECT_EQ(records->size(), 3u);
    EXPECT_FALSE(LoadZepFiles(folder / "missing"));
    EXPECT_FALSE(LoadTessalDatabase(folder / "missing"));
}

}  // namespace
}  // namespace zep::sim
