// Flash cards meeting the running service: a card folder appears under a media root, is
// imported at the next idle tick and its data come out as import files; with deletion on, the
// card database changes in exactly the flags of the records that were imported.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/support/headless_service.h"
#include "tools/cardgen/card_builders.h"
#include "tools/sim/sim_content.h"

namespace zep::test {
namespace {

using cardgen::Bytes;

constexpr std::uint8_t kDeletedFlag = 0x10;
constexpr std::uint8_t kVoidFlag = 0x80;

// The records of hourly readings an archive of the sample meter type carries, as a card
// database's volumes hold them ('T', kind, length, data), without a title area.
Bytes ReadingStream(const std::vector<sim::ArchiveRecord>& readings) {
    const Bytes image = sim::BuildAssembledArchive({}, readings);
    return Bytes(image.begin() + 2, image.end());
}

std::vector<sim::ArchiveRecord> Readings(unsigned seed, int hours) {
    return sim::GenerateReadings(seed, hours, 1175990400);
}

cardgen::CardRecordSpec Archive(const std::string& serial) {
    cardgen::CardRecordSpec spec;
    spec.serial = serial;
    spec.virtualList = "1";
    return spec;
}

// The same stream cut into two volumes: joined in order they give it back.
std::vector<Bytes> TwoVolumes(const Bytes& stream) {
    const auto middle = stream.begin() + static_cast<std::ptrdiff_t>(stream.size() / 2);
    return {Bytes(stream.begin(), middle), Bytes(middle, stream.end())};
}

std::size_t CountLines(const std::string& text, const std::string& start) {
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n" + start); at != std::string::npos;
         at = text.find("\r\n" + start, at + 1)) {
        ++count;
    }
    return count;
}

class ServiceCardTest : public ::testing::Test {
protected:
    ServiceCardTest() {
        ConfigureDispatch(dir);
        std::filesystem::create_directories(dir / "media");
        std::filesystem::create_directories(staging);
    }

    // The card is written aside and moved under the media root in one step once the service
    // runs, as a card appears whole when it is mounted. The run ends when the import has ended
    // and no raw file is left to convert.
    HeadlessRun InsertCard(const std::string& settings, int imports) {
        WriteSettings(dir, settings);
        return RunHeadless(
            dir, ServiceScript()
                     .Environment("ZEPIMPORT_MEDIA_ROOTS='" + (dir / "media").string() + "'")
                     .AfterStart("sleep 1.2; mv staging/Pexilor media/; ")
                     .WaitUntil(OutputHas("Импорт данных завершен.") + " && " +
                                FolderHolds("import", ".imp", imports) +
                                " && ! ls program | grep -qi '[.]bi.$'"));
    }

    std::set<std::string> ImportedSerials() const {
        std::set<std::string> serials;
        for (const auto& name : ImportFiles(dir)) {
            serials.insert(ImportHeaderValue(ReadFileText(dir / "import" / name), "Serial"));
        }
        return serials;
    }

    std::string ImportOf(const std::string& serial) const {
        for (const auto& name : ImportFiles(dir)) {
            const std::string text = ReadFileText(dir / "import" / name);
            if (ImportHeaderValue(text, "Serial") == serial) {
                return text;
            }
        }
        return {};
    }

    // The inserted card's database, compared byte by byte with what it should hold now.
    void ExpectCardDatabase(const Bytes& expected) const {
        const Bytes after = ReadFileBytes(inserted / "TESSAL.DAT");
        ASSERT_EQ(after.size(), expected.size());
        for (std::size_t at = 0; at < after.size(); ++at) {
            ASSERT_EQ(after[at], expected[at]) << "byte " << at;
        }
    }

    // Only the import history, the settings file and the log are left in the program folder: no
    // raw file, no temporary.
    void ExpectProgramFolderClean() const {
        EXPECT_EQ(
            ListFiles(dir / "program"),
            (std::vector<std::string>{"zepimport.history", "zepimport.ini", "zepimport.log"}));
    }

    TempDir dir;
    const std::filesystem::path staging = dir / "staging";
    const std::filesystem::path card = staging / "Pexilor" / "Tessal";
    const std::filesystem::path inserted = dir / "media" / "Pexilor" / "Tessal";
};

TEST_F(ServiceCardTest, CardAppearingUnderAMediaRootIsImportedWholeAndConverted) {
    std::filesystem::create_directories(card);
    cardgen::MeterArchiveSpec meter;
    meter.serial = "100001";
    for (const auto& reading : Readings(7, 24)) {
        meter.records.push_back({reading.kind, reading.data});
    }
    cardgen::WriteBytes(card / "00000001.zep", cardgen::BuildMeterArchive(meter));
    const Bytes printer = cardgen::ToCp1251Bytes("Протокол печати\r\n");
    cardgen::WriteBytes(card / "00000002.zvo", printer);
    const auto twoVolumeReadings = Readings(8, 60);
    cardgen::CardDatabaseBuilder database;
    database.AddArchive(Archive("200001"), TwoVolumes(ReadingStream(twoVolumeReadings)))
        .AddArchive(Archive("200002"), {ReadingStream(Readings(9, 10))});
    const Bytes image = database.Build();
    cardgen::WriteBytes(card / "TESSAL.DAT", image);

    // The preview is asked for in the settings; without a window the card is taken whole.
    const HeadlessRun run = InsertCard("[General]\r\nm_preview=1\r\nm_deleteFlash=0\r\n", 3);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Получение данных со сменного накопителя...\n" + inserted.string()),
              std::string::npos)
        << run.out;
    for (const char* name : {"00000001.zep", "00000002.zvo", "TESSAL.DAT"}) {
        EXPECT_NE(run.out.find("Обработка файла '" + std::string(name) + "'"), std::string::npos)
            << name;
    }

    EXPECT_EQ(ImportedSerials(), (std::set<std::string>{"100001", "200001", "200002"})) << run.out;
    // The two volumes were joined: every reading of the archive is in its import file.
    EXPECT_EQ(CountLines(ImportOf("200001"), "Time="), twoVolumeReadings.size());
    std::vector<std::string> printerFiles;
    for (const auto& name : ListFiles(dir / "import")) {
        if (name.ends_with(".zvo")) {
            printerFiles.push_back(name);
        }
    }
    ASSERT_EQ(printerFiles.size(), 1u) << "without Zuvo the protocol goes to the import folder";
    EXPECT_EQ(ReadFileBytes(dir / "import" / printerFiles[0]), printer);

    // Deleting from cards is off: the card stays exactly as it was.
    EXPECT_EQ(ReadFileBytes(inserted / "TESSAL.DAT"), image);
    EXPECT_TRUE(std::filesystem::exists(inserted / "00000001.zep"));
    EXPECT_TRUE(std::filesystem::exists(inserted / "00000002.zvo"));
    ExpectProgramFolderClean();
}

TEST_F(ServiceCardTest, DeletionMarksExactlyTheImportedRecordsAndLeavesAVoidOneAlone) {
    std::filesystem::create_directories(card);
    cardgen::CardRecordSpec voidRecord = Archive("300002");
    voidRecord.payload = ReadingStream(Readings(12, 5));
    voidRecord.flags = kVoidFlag;
    cardgen::CardDatabaseBuilder database;
    database.AddArchive(Archive("300001"), TwoVolumes(ReadingStream(Readings(11, 20))))
        .Add(voidRecord)
        .AddArchive(Archive("300003"), {ReadingStream(Readings(13, 5))});
    cardgen::CardLayout layout;
    const Bytes before = database.Build(&layout);
    cardgen::WriteBytes(card / "TESSAL.DAT", before);

    const HeadlessRun run = InsertCard("[General]\r\nm_deleteFlash=1\r\n", 2);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Сохранение изменений в файле"), std::string::npos) << run.out;
    EXPECT_EQ(ImportedSerials(), (std::set<std::string>{"300001", "300003"})) << run.out;

    // Entries 0 and 1 (the two volumes) and 3 gain the deleted bit; nothing else moves.
    Bytes expected = before;
    for (const std::size_t entry : {0u, 1u, 3u}) {
        expected[layout.indexPositions[entry] + 4] |= kDeletedFlag;
    }
    ExpectCardDatabase(expected);
    ExpectProgramFolderClean();
}

TEST_F(ServiceCardTest, BrokenChainLeavesNoOutputAndNoMarkWhileTheArchiveBeforeItIsTaken) {
    std::filesystem::create_directories(card);
    cardgen::CardRecordSpec first = Archive("400002");
    first.payload = ReadingStream(Readings(21, 10));
    cardgen::CardRecordSpec orphan = first;
    orphan.volume = "3";  // volume 2 never made it to the card
    orphan.payload = ReadingStream(Readings(22, 10));
    cardgen::CardDatabaseBuilder database;
    database.AddArchive(Archive("400001"), {ReadingStream(Readings(20, 10))})
        .Add(first)
        .Add(orphan);
    cardgen::CardLayout layout;
    const Bytes before = database.Build(&layout);
    cardgen::WriteBytes(card / "TESSAL.DAT", before);

    const HeadlessRun run = InsertCard("[General]\r\nm_deleteFlash=1\r\n", 1);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::size_t chainError = run.out.find("Ошибка сборки многотомного архива\n");
    EXPECT_NE(chainError, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Ошибка записи на диск двоичного файла.\n", chainError),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ImportedSerials(), std::set<std::string>{"400001"}) << run.out;

    // Only the complete archive before the broken chain is marked; the chain's first volume,
    // written before the gap showed, keeps its flags.
    Bytes expected = before;
    expected[layout.indexPositions[0] + 4] |= kDeletedFlag;
    ExpectCardDatabase(expected);
    ExpectProgramFolderClean();
}

}  // namespace
}  // namespace zep::test
