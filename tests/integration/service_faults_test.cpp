// The service under faults a dispatcher meets: a device pulled out in the middle of its
// session, a device that babbles before it announces itself, and a restart with a settings
// file edited by hand.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "core/title_area.h"
#include "platform/ini_document.h"
#include "tests/support/headless_service.h"
#include "tools/sim/sim_content.h"

namespace zep::test {
namespace {

constexpr int kPort = 6;
constexpr int kItems = 3;  // generated items per device, seed 1

std::set<std::string> ImportedSerials(const TempDir& dir) {
    std::set<std::string> serials;
    for (const auto& name : ImportFiles(dir)) {
        serials.insert(ImportHeaderValue(ReadFileText(dir / "import" / name), "Serial"));
    }
    return serials;
}

// The adapter's first file is a meter archive named after its serial number.
std::string FirstZepSerial() {
    const std::string name = sim::GenerateZepFiles(kItems, 1).at(0).name;
    return name.substr(3, name.find('.') - 3);
}

// Records are read from the last to the first.
std::string LastKolvarSerial() {
    const auto records = sim::GenerateKolvarRecords(kItems, 1);
    return reinterpret_cast<const char*>(records.back().bytes.data()) + 15;
}

std::string FirstTessalSerial() {
    const auto database = sim::GenerateTessalDatabase(kItems, 1);
    return NthString(TitleArea(database.archives.at(0).volumes.at(0)), 4).value_or("");
}

// The second archive's first volume: the download right after the first archive's last one.
std::string TessalUnplugFault() {
    const auto database = sim::GenerateTessalDatabase(kItems, 1);
    return "unplug,cmd=download volume,at=300,skip=" +
           std::to_string(database.archives.at(0).volumes.size());
}

struct UnplugCase {
    std::string program;
    std::function<std::string()> fault;        // the simulator's --fault: the second item is cut
    std::string errorLine;                     // the line the exchange ends with
    std::function<std::string()> savedSerial;  // the item saved before the unplug
};

void PrintTo(const UnplugCase& c, std::ostream* out) {
    *out << c.program;
}

class ServiceUnplugTest : public ::testing::TestWithParam<UnplugCase> {};

TEST_P(ServiceUnplugTest, ExchangeEndsCleanlyTheServiceRunsOnAndSavedFilesAreConverted) {
    const UnplugCase& c = GetParam();
    TempDir dir;
    ConfigureDispatch(dir);
    WriteSettings(dir, "[COM Port]\r\nm_port=" + std::to_string(kPort) + "\r\n");
    const std::string device =
        "--generate " + std::to_string(kItems) + " --fault '" + c.fault() + "'";
    // Two more poll ticks after the end of the import: the port is gone, the service is not.
    const HeadlessRun run =
        RunHeadless(dir, ServiceScript()
                             .Before(StartDevice(c.program, device, kPort))
                             .WaitUntil(OutputHas("Импорт данных завершен.") + " && " +
                                        FolderHolds("import", ".imp", 1) + " && sleep 2"));
    EXPECT_TRUE(run.aliveAtSignal) << run.err;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadFileText(dir / "sim.txt").find("unplugged"), std::string::npos);

    const std::size_t error = run.out.find("\n" + c.errorLine + "\n");
    ASSERT_NE(error, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nИмпорт данных завершен.\n", error), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('$'), std::string::npos) << "no colour codes:\n" << run.out;
    // The hung-up port is closed by the first idle tick, and said so once.
    const std::string lost = "\nCOM-порт отключен, ожидание подключения ...\n";
    const std::size_t loss = run.out.find(lost, error);
    EXPECT_NE(loss, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(lost, loss + 1), std::string::npos) << run.out;

    EXPECT_EQ(ImportedSerials(dir), std::set<std::string>{c.savedSerial()}) << run.out;
    EXPECT_TRUE(RawFiles(dir).empty()) << "the saved raw file was converted";
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ServiceUnplugTest,
    ::testing::Values(UnplugCase{"zep-sim", [] { return "unplug,cmd=>,skip=1"; },
                                 "Ошибка чтения файла с ZEP", FirstZepSerial},
                      UnplugCase{"tessal-sim", TessalUnplugFault,
                                 "Ошибка считывания архивного тома.", FirstTessalSerial},
                      UnplugCase{"kolvar-sim", [] { return "unplug,cmd=DOWNLOAD,skip=1,at=300"; },
                                 "Ошибка считывания записи", LastKolvarSerial}),
    [](const auto& info) { return info.param.program.substr(0, info.param.program.find('-')); });

class ServiceGarbageTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ServiceGarbageTest, DeviceBabblingBeforeItsPromptStillGetsItsSession) {
    TempDir dir;
    ConfigureDispatch(dir);
    WriteSettings(dir, "[COM Port]\r\nm_port=" + std::to_string(kPort) + "\r\n");
    const HeadlessRun run = RunHeadless(
        dir, ServiceScript()
                 .Before(StartDevice(GetParam(), "--generate 1 --fault garbage,cmd=prompt", kPort))
                 .WaitUntil(OutputHas("Импорт данных завершен.") + " && " +
                            FolderHolds("import", ".imp", 1)));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadFileText(dir / "sim.txt").find("garbage"), std::string::npos)
        << ReadFileText(dir / "sim.txt");
    EXPECT_NE(run.out.find("Сеанс связи начат "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Ошибка"), std::string::npos) << run.out;
    EXPECT_EQ(ImportFiles(dir).size(), 1u) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Devices, ServiceGarbageTest,
                         ::testing::Values("zep-sim", "tessal-sim", "kolvar-sim"),
                         [](const auto& info) {
                             return info.param.substr(0, info.param.find('-'));
                         });

TEST(ServiceSettingsTest, EditedSettingsSurviveRestartsWithForeignLinesKept) {
    TempDir dir;
    std::filesystem::create_directories(dir / "media" / "Pexilor" / "Tessal");
    WriteFileText(dir / "media" / "Pexilor" / "Tessal" / "a.zvo", "protocol");
    // Values away from every default, a comment, a key and a section of someone else's, a
    // port that does not exist, and m_preview missing.
    WriteSettings(dir,
                  "; edited by the administrator\r\n"
                  "[General]\r\n"
                  "m_runMinimized=1\r\n"
                  "m_expandActive=0\r\n"
                  "m_deleteAfter=1\r\n"
                  "m_deleteFlash=1\r\n"
                  "m_removable=0\r\n"
                  "SaveBin=1\r\n"
                  "Operator=Иванов\r\n"
                  "\r\n"
                  "[COM Port]\r\n"
                  "m_port=41\r\n"
                  "\r\n"
                  "[Site]\r\n"
                  "name=boiler house 3\r\n");
    const auto script = ServiceScript()
                            .Environment("ZEPIMPORT_MEDIA_ROOTS='" + (dir / "media").string() + "'")
                            .WaitUntil("sleep 2.5");
    const auto settings = dir / "program" / "zepimport.ini";

    const HeadlessRun first = RunHeadless(dir, script);
    EXPECT_EQ(first.status, 0) << first.err;
    // The values were in force: the missing port was tried, the card not watched.
    EXPECT_NE(first.out.find("Ошибка открытия COM-порта."), std::string::npos) << first.out;
    EXPECT_EQ(first.out.find("Получение данных со сменного накопителя"), std::string::npos)
        << first.out;
    const std::string afterFirst = ReadFileText(settings);
    const IniDocument document(afterFirst);
    const std::pair<const char*, const char*> expected[] = {
        {"m_runMinimized", "1"}, {"m_expandActive", "0"}, {"m_deleteAfter", "1"},
        {"m_deleteFlash", "1"},  {"m_removable", "0"},    {"m_preview", "1"},
        {"SaveBin", "1"}};
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(document.Get("General", key), value) << key << "\n" << afterFirst;
    }
    EXPECT_EQ(document.Get("COM Port", "m_port"), "41") << afterFirst;
    EXPECT_EQ(document.Get("General", "Operator"), "Иванов");
    EXPECT_EQ(document.Get("Site", "name"), "boiler house 3");
    EXPECT_TRUE(afterFirst.starts_with("; edited by the administrator\r\n")) << afterFirst;

    // A second run reads what the first wrote and writes it back unchanged.
    const HeadlessRun second = RunHeadless(dir, script);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(ReadFileText(settings), afterFirst);
    EXPECT_TRUE(RawFiles(dir).empty());
}

}  // namespace
}  // namespace zep::test
