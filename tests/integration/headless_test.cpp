// The service mode as a user meets it: the real binary in a program folder of its own, with a
// simulated adapter on a pseudo-terminal or a card folder, ended by a signal.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/ini_document.h"
#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

class HeadlessSignalTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HeadlessSignalTest, SignalEndsTheProgramCleanlyWithAllSettingsSaved) {
    TempDir dir;
    const HeadlessRun run = RunHeadless(dir, ServiceScript().Signal(GetParam()));
    EXPECT_EQ(run.status, 0) << run.err;

    const auto settings = dir / "program" / "zepimport.ini";
    ASSERT_TRUE(std::filesystem::exists(settings)) << run.err;
    const auto document = IniDocument::Load(settings);
    for (const char* key : {"m_runMinimized", "m_expandActive", "m_deleteAfter", "m_deleteFlash",
                            "m_removable", "m_preview", "SaveBin"}) {
        EXPECT_TRUE(document.Get("General", key)) << key;
    }
    EXPECT_EQ(document.Get("General", "m_expandActive"), "1");
    EXPECT_EQ(document.Get("COM Port", "m_port"), "0");
    // No dispatch system is configured here; the program says so and keeps running.
    EXPECT_NE(run.out.find("CNV: Не указан каталог импорта."), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("$04"), std::string::npos) << "colour codes are removed";
    // The output is a file here, as under the journal: no terminal, so no ANSI colours.
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Signals, HeadlessSignalTest, ::testing::Values("TERM", "INT"));

TEST(HeadlessTest, AdapterOnTheConfiguredPortIsImportedIntoTheProgramFolder) {
    TempDir dir;
    WriteSettings(dir, "[COM Port]\r\nm_port=7\r\n");
    const HeadlessRun run = RunHeadless(dir, ServiceScript()
                                                 .Before(StartDevice("zep-sim", "--generate 2", 7))
                                                 .WaitUntil(OutputHas("Импорт данных завершен.")));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("COM-порт открыт, ожидание сеанса связи с ZEP ..."), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Сеанс связи начат "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("$03"), std::string::npos) << "colour codes are removed";
    EXPECT_EQ(RawFiles(dir).size(), 2u) << run.out;
    EXPECT_NE(ReadFileText(dir / "program" / "zepimport.ini").find("m_port=7"), std::string::npos);
}

TEST(HeadlessTest, AdapterArchivesBecomeImportFilesThroughTheDrivers) {
    TempDir dir;
    ConfigureDispatch(dir);
    WriteSettings(dir, "[COM Port]\r\nm_port=7\r\n");
    const HeadlessRun run =
        RunHeadless(dir, ServiceScript()
                             .Before(StartDevice("zep-sim", "--generate 2", 7))
                             .WaitUntil(FolderHolds("import", ".imp", 2) + " && " +
                                        OutputHas("Импорт данных завершен.")));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ImportFiles(dir).size(), 2u) << run.out;
    EXPECT_TRUE(RawFiles(dir).empty()) << "converted raw files are deleted";
    EXPECT_NE(run.out.find("CNV: Обработка "), std::string::npos) << run.out;
}

// A signal does not wait for the session: the exchange ends at its next wait, what was saved
// stays, the file in transfer stays on the adapter, and the closing steps run.
TEST(HeadlessTest, SignalDuringAnExchangeEndsItAtItsNextWait) {
    TempDir dir;
    WriteSettings(dir, "[COM Port]\r\nm_port=7\r\n");
    // Paced at the line rate, the session lasts well beyond the signal.
    const HeadlessRun run =
        RunHeadless(dir, ServiceScript()
                             .Before(StartDevice("zep-sim", "--generate 3 --pace", 7))
                             .WaitUntil(OutputHasTimes("Чтение файла", 2)));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_LE(run.endTenths, 100) << run.out;
    EXPECT_NE(run.out.find("Сеанс связи прерван: программа завершает работу."), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Импорт данных завершен."), std::string::npos) << run.out;
    const std::size_t raw = RawFiles(dir).size();
    EXPECT_GE(raw, 1u) << run.out;
    EXPECT_LT(raw, 3u) << run.out;
}

TEST(HeadlessTest, CardFolderIsImportedWholeWithoutAPreview) {
    TempDir dir;
    const auto card = dir / "card";
    std::filesystem::create_directories(card / "Pexilor" / "Tessal");
    WriteFileText(card / "Pexilor" / "Tessal" / "printer.zvo", "printer protocol text");
    const HeadlessRun run =
        RunHeadless(dir, ServiceScript()
                             .Environment("ZEPIMPORT_MEDIA_ROOTS='" + card.string() + "'")
                             .WaitUntil(OutputHas("Импорт данных завершен.")));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Получение данных со сменного накопителя..."), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find((card / "Pexilor" / "Tessal").string()), std::string::npos);
    const auto raw = RawFiles(dir);
    ASSERT_EQ(raw.size(), 1u) << run.out;
    EXPECT_TRUE(raw[0].ends_with(".bil"));
    EXPECT_EQ(ReadFileText(dir / "program" / raw[0]), "printer protocol text");
    // The card stays as it was: deleting from cards is off by default.
    EXPECT_TRUE(std::filesystem::exists(card / "Pexilor" / "Tessal" / "printer.zvo"));
}

TEST(HeadlessTest, MissingProgramFolderIsRefused) {
    TempDir dir;
    const std::string command = "'" + BinaryFolder() + "/zepimport' --headless --program-dir '" +
                                (dir / "missing").string() + "' 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

}  // namespace
}  // namespace zep::test
