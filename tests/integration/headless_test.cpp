// The service mode as a user meets it: the real binary in a program folder of its own, with a
// simulated adapter on a pseudo-terminal or a card folder, ended by a signal.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/ini_document.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

const std::string kBin = std::string(ZEP_BINARY_DIR) + "/bin/";

struct HeadlessRun {
    int status = -1;  // exit status of zepimport, -1 when the script itself failed
    std::string out;
    std::string err;
};

// A shell condition: standard output holds the text.
std::string OutputHas(const std::string& text) {
    return "grep -qF '" + text + "' out.txt";
}

// Runs zepimport --headless in dir/program with dir/config as XDG_CONFIG_HOME. Once it says it
// runs, and once the shell condition waitUntil holds (when given, at most 30 s), it gets the
// signal. before: shell lines run first (start a simulator).
HeadlessRun RunHeadless(const TempDir& dir, const std::string& signal,
                        const std::string& waitUntil = "", const std::string& before = "",
                        const std::string& environment = "") {
    std::filesystem::create_directories(dir / "program");
    std::filesystem::create_directories(dir / "config");
    const std::string folder = dir.path().string();
    // The waits are bounded (30 s each); they only wait for the program to get somewhere.
    std::string script = "cd '" + folder + "' || exit 1; export XDG_CONFIG_HOME='" + folder +
                         "/config' " + environment + "; " + before;
    script += "'" + kBin + "zepimport' --headless --program-dir '" + folder +
              "/program' >out.txt 2>err.txt & pid=$!; ";
    script +=
        "i=0; while [ $i -lt 300 ] && ! grep -q 'SIGTERM ends it' err.txt; do sleep 0.1; "
        "i=$((i+1)); done; ";
    if (!waitUntil.empty()) {
        script += "i=0; while [ $i -lt 300 ] && ! { " + waitUntil +
                  "; }; do sleep 0.1; i=$((i+1)); done; ";
    }
    script += "kill -" + signal + " $pid; wait $pid; echo $? >status.txt";
    HeadlessRun run;
    const std::string status =
        std::system(script.c_str()) == 0 ? ReadFileText(dir / "status.txt") : std::string();
    if (!status.empty() && std::isdigit(static_cast<unsigned char>(status[0]))) {
        run.status = std::stoi(status);
    }
    run.out = ReadFileText(dir / "out.txt");
    run.err = ReadFileText(dir / "err.txt");
    return run;
}

std::vector<std::string> RawFiles(const TempDir& dir) {
    std::vector<std::string> raw;
    for (const auto& name : ListFiles(dir / "program")) {
        if (name.ends_with(".bia") || name.ends_with(".bil") || name.ends_with(".bin")) {
            raw.push_back(name);
        }
    }
    return raw;
}

class HeadlessSignalTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HeadlessSignalTest, SignalEndsTheProgramCleanlyWithAllSettingsSaved) {
    TempDir dir;
    const HeadlessRun run = RunHeadless(dir, GetParam());
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
}

INSTANTIATE_TEST_SUITE_P(Signals, HeadlessSignalTest, ::testing::Values("TERM", "INT"));

TEST(HeadlessTest, AdapterOnTheConfiguredPortIsImportedIntoTheProgramFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir / "program");
    WriteFileText(dir / "program" / "zepimport.ini", "[COM Port]\r\nm_port=7\r\n");
    const std::string simulator =
        "'" + kBin +
        "zep-sim' --generate 2 --com 7 >sim.txt 2>&1 & sim=$!; "
        "i=0; while [ $i -lt 100 ] && [ ! -e config/zepimport/ports/COM7 ]; do "
        "sleep 0.1; i=$((i+1)); done; trap 'kill $sim' EXIT; ";
    const HeadlessRun run =
        RunHeadless(dir, "TERM", OutputHas("Импорт данных завершен."), simulator);
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
    std::filesystem::create_directories(dir / "program");
    std::filesystem::create_directories(dir / "import");
    std::filesystem::create_directories(dir / "config" / "Kestrom");
    WriteFileText(dir / "config" / "Kestrom" / "Velmora.conf",
                  "[General]\nDrivers=" + std::string(ZEP_BINARY_DIR) +
                      "/drivers\nImport=" + (dir / "import").string() + "\n");
    WriteFileText(dir / "program" / "zepimport.ini", "[COM Port]\r\nm_port=7\r\n");
    const std::string simulator =
        "'" + kBin +
        "zep-sim' --generate 2 --com 7 >sim.txt 2>&1 & sim=$!; "
        "i=0; while [ $i -lt 100 ] && [ ! -e config/zepimport/ports/COM7 ]; do "
        "sleep 0.1; i=$((i+1)); done; trap 'kill $sim' EXIT; ";
    const HeadlessRun run = RunHeadless(
        dir, "TERM",
        "[ $(ls import | grep -c '[.]imp$') -ge 2 ] && " + OutputHas("Импорт данных завершен."),
        simulator);
    EXPECT_EQ(run.status, 0) << run.err;
    std::size_t imports = 0;
    for (const auto& name : ListFiles(dir / "import")) {
        imports += name.ends_with(".imp") ? 1 : 0;
    }
    EXPECT_EQ(imports, 2u) << run.out;
    EXPECT_TRUE(RawFiles(dir).empty()) << "converted raw files are deleted";
    EXPECT_NE(run.out.find("CNV: Обработка "), std::string::npos) << run.out;
}

TEST(HeadlessTest, SignalDuringAnExchangeWaitsForItsEnd) {
    TempDir dir;
    std::filesystem::create_directories(dir / "program");
    WriteFileText(dir / "program" / "zepimport.ini", "[COM Port]\r\nm_port=7\r\n");
    // Paced at the line rate, the session lasts well beyond the signal.
    const std::string simulator =
        "'" + kBin +
        "zep-sim' --generate 3 --pace --com 7 >sim.txt 2>&1 & sim=$!; "
        "i=0; while [ $i -lt 100 ] && [ ! -e config/zepimport/ports/COM7 ]; do "
        "sleep 0.1; i=$((i+1)); done; trap 'kill $sim' EXIT; ";
    const HeadlessRun run = RunHeadless(dir, "TERM", OutputHas("Сеанс связи начат"), simulator);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Импорт данных завершен."), std::string::npos) << run.out;
    EXPECT_EQ(RawFiles(dir).size(), 3u) << run.out;
}

TEST(HeadlessTest, CardFolderIsImportedWholeWithoutAPreview) {
    TempDir dir;
    const auto card = dir / "card";
    std::filesystem::create_directories(card / "Pexilor" / "Tessal");
    WriteFileText(card / "Pexilor" / "Tessal" / "printer.zvo", "printer protocol text");
    const HeadlessRun run = RunHeadless(dir, "TERM", OutputHas("Импорт данных завершен."), "",
                                        "ZEPIMPORT_MEDIA_ROOTS='" + card.string() + "'");
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
    const std::string command = "'" + kBin + "zepimport' --headless --program-dir '" +
                                (dir / "missing").string() + "' 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

}  // namespace
}  // namespace zep::test
