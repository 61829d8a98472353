// The import history through the real program: a card kept as a backup and offered again, and
// a file the ZEP adapter refuses to delete, each reach the dispatch system once; ImportOnce=0
// brings every offer as earlier versions did.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/headless_service.h"
#include "tools/cardgen/card_builders.h"
#include "tools/sim/sim_content.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

const std::string kDone = "Импорт данных завершен.";
const std::string kNoRawFiles = "! ls program | grep -qi '[.]bi.$'";

std::string Known(int count) {
    return "Пропущено ранее импортированных архивов: " + std::to_string(count);
}

// Hourly readings of the sample meter type, as a card database's volumes hold them.
cardgen::Bytes Readings(unsigned seed, int hours) {
    const auto image =
        sim::BuildAssembledArchive({}, sim::GenerateReadings(seed, hours, 1175990400));
    return cardgen::Bytes(image.begin() + 2, image.end());
}

// Three archives: a ".zep" file and a card database of two.
void WriteCard(const fs::path& root) {
    const fs::path card = root / "Pexilor" / "Tessal";
    fs::create_directories(card);
    cardgen::MeterArchiveSpec meter;
    meter.serial = "500001";
    cardgen::WriteBytes(card / "00000001.zep", cardgen::BuildMeterArchive(meter));
    cardgen::CardRecordSpec first;
    first.serial = "500002";
    first.virtualList = "1";
    cardgen::CardRecordSpec second = first;
    second.serial = "500003";
    cardgen::WriteBytes(card / "TESSAL.DAT",
                        cardgen::CardDatabaseBuilder()
                            .AddArchive(first, {Readings(1, 5), Readings(2, 5)})
                            .AddArchive(second, {Readings(3, 5)})
                            .Build());
}

// The card goes into the reader of root a; once it is imported, the same card appears in the
// reader of root b, as a backup copy inserted again. A second run with ImportOnce=0 finds both.
TEST(ServiceHistoryTest, AKeptCardArrivesOnceAndImportOnceOffBringsItAgain) {
    TempDir dir;
    ConfigureDispatch(dir);
    fs::create_directories(dir / "media" / "a");
    fs::create_directories(dir / "media" / "b");
    WriteCard(dir / "staging");
    const std::string roots = "ZEPIMPORT_MEDIA_ROOTS='" + (dir / "media" / "a").string() + ":" +
                              (dir / "media" / "b").string() + "'";
    WriteSettings(dir, "[General]\r\nm_deleteFlash=0\r\n");
    const HeadlessRun once = RunHeadless(
        dir, ServiceScript()
                 .Environment(roots)
                 .AfterStart("mv staging/Pexilor media/a/; " +
                             WaitFor(OutputHas(kDone) + " && " + FolderHolds("import", ".imp", 3)) +
                             "cp -r media/a/Pexilor media/b/; ")
                 .WaitUntil(OutputHasTimes(kDone, 2) + " && " + kNoRawFiles));
    EXPECT_EQ(once.status, 0) << once.err;
    EXPECT_NE(once.out.find(Known(3)), std::string::npos) << once.out;
    EXPECT_EQ(ImportFiles(dir).size(), 3u) << once.out;

    WriteSettings(dir, "[General]\r\nm_deleteFlash=0\r\nImportOnce=0\r\n");
    const HeadlessRun every = RunHeadless(
        dir, ServiceScript().Environment(roots).WaitUntil(OutputHasTimes(kDone, 2) + " && " +
                                                          FolderHolds("import", ".imp", 9) +
                                                          " && " + kNoRawFiles));
    EXPECT_EQ(every.status, 0) << every.err;
    EXPECT_EQ(every.out.find(Known(3)), std::string::npos) << every.out;
    EXPECT_EQ(ImportFiles(dir).size(), 9u) << every.out;
}

// An adapter that refuses every deletion offers its files again at the next session: they are
// not imported again, and deleting them is tried again.
TEST(ServiceHistoryTest, FilesTheAdapterRefusedToDeleteArriveOnce) {
    constexpr int kPort = 9;
    TempDir dir;
    ConfigureDispatch(dir);
    WriteSettings(dir, "[General]\r\nm_deleteAfter=1\r\n[COM Port]\r\nm_port=" +
                           std::to_string(kPort) + "\r\n");
    const HeadlessRun run = RunHeadless(
        dir,
        ServiceScript()
            .Before(StartDevice(
                "zep-sim", "--generate 3 --delete-mode refuse --reannounce --sessions 2", kPort))
            .WaitUntil(OutputHasTimes(kDone, 2) + " && " + kNoRawFiles));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(Known(3)), std::string::npos) << run.out;
    std::size_t refused = 0;
    for (std::size_t at = run.out.find("' с ZEP"); at != std::string::npos;
         at = run.out.find("' с ZEP", at + 1)) {
        ++refused;
    }
    EXPECT_EQ(refused, 6u) << run.out;  // each file, in both sessions
    EXPECT_EQ(ImportFiles(dir).size(), 3u) << run.out;
}

}  // namespace
}  // namespace zep::test
