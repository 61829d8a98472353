// The simulators' command line: serving through a COM link, help and bad arguments, options, and
// a remove mode that touches only files of its folder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/line_host.h"
#include "tests/support/temp_dir.h"
#include "tools/sim/sim_program.h"

namespace zep::sim {
namespace {

const std::string kBin = std::string(ZEP_BINARY_DIR) + "/bin/";

bool WaitForPath(const std::filesystem::path& path, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        std::error_code error;
        if (std::filesystem::exists(path, error)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(SimProgram, ServesThroughItsComLinkAndEndsAfterTheAskedSessions) {
    test::TempDir home;
    const auto link = home / "zepimport/ports/COM7";
    const std::string command = "(XDG_CONFIG_HOME=" + home.path().string() + " timeout 30 " + kBin +
                                "kolvar-sim --generate 2 --com 7 --sessions 1 > " +
                                (home / "out").string() + " 2>&1; echo $? > " +
                                (home / "rc").string() + ") &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(WaitForPath(link, 5000));
    ASSERT_TRUE(std::filesystem::is_symlink(link));

    test::LineHost host;
    ASSERT_TRUE(host.Open(link.string()));
    EXPECT_EQ(host.ReadUntil("KLV10>", 3000), "KLV10>");
    host.Send("GET RECORDS\r");
    EXPECT_EQ(host.ReadUntil("KLV10>"), "RECORDS=2\r\nKLV10>");
    host.Send("EXIT\r");

    ASSERT_TRUE(WaitForPath(home / "rc", 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(test::ReadFileText(home / "rc"), "0\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    const std::string out = test::ReadFileText(home / "out");
    EXPECT_NE(out.find("GET RECORDS"), std::string::npos) << out;
    EXPECT_NE(out.find("session ends"), std::string::npos) << out;
}

TEST(SimProgram, HelpAndBadArguments) {
    const std::string quiet = " > /dev/null 2>&1";
    EXPECT_EQ(std::system((kBin + "zep-sim --help" + quiet).c_str()), 0);
    EXPECT_EQ(
        std::system((kBin + "tessal-sim --fault nonsense" + quiet + "; test $? -eq 2").c_str()), 0);
    EXPECT_EQ(std::system((kBin + "zep-sim --chunk 100" + quiet + "; test $? -eq 2").c_str()), 0);
    EXPECT_EQ(
        std::system(
            (kBin + "kolvar-sim --folder /nonexistent/folder" + quiet + "; test $? -eq 1").c_str()),
        0);
}

TEST(SimProgram, ArgumentsBecomeOptions) {
    ProgramSettings settings;
    std::string error;
    ASSERT_EQ(ParseProgramArguments(
                  DeviceKind::Kolvar,
                  {"--fault", "badcrc,cmd=DOWNLOAD,times=always,at=2", "--fault", "unplug,skip=1",
                   "--chunk", "512", "--pace", "--delete-mode", "refuse", "--com", "4"},
                  settings, error),
              ParseOutcome::Run)
        << error;
    EXPECT_EQ(settings.com, 4);
    const SimOptions options = OptionsFor(DeviceKind::Kolvar, settings);
    EXPECT_TRUE(options.pace);
    EXPECT_EQ(options.chunkSize, 512u);
    ASSERT_EQ(options.faults.size(), 3u);
    EXPECT_EQ(options.faults[0].kind, FaultKind::BadCrc);
    EXPECT_EQ(options.faults[0].command, "DOWNLOAD");
    EXPECT_EQ(options.faults[0].times, 0);
    EXPECT_EQ(options.faults[0].at, 2);
    EXPECT_EQ(options.faults[1].kind, FaultKind::Unplug);
    EXPECT_EQ(options.faults[1].skip, 1);
    EXPECT_EQ(options.faults[1].times, 1);
    EXPECT_EQ(options.faults[2].kind, FaultKind::ErrorReply);
    EXPECT_EQ(options.faults[2].command, "DELETE RECORD");
    EXPECT_EQ(options.faults[2].times, 0);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--com", "0"},
                                                {"--sessions"},
                                                {"--generate", "many"},
                                                {"--fault", "silence,times=-1"},
                                                {"--fault", "silence,skip"},
                                                {"--delete-mode", "wipe"},
                                                {"--version", "0.5"}}) {
        ProgramSettings ignored;
        EXPECT_EQ(ParseProgramArguments(DeviceKind::Kolvar, bad, ignored, error),
                  ParseOutcome::Error)
            << bad[0];
    }
}

TEST(SimProgram, RemoveModeTakesOnlyFilesOfTheFolder) {
    test::TempDir root;
    std::filesystem::create_directory(root / "served");
    test::WriteFileText(root / "served/A.zep", "a");
    test::WriteFileText(root / "outside.zep", "o");
    ProgramSettings settings;
    settings.folder = (root / "served").string();
    settings.deleteMode = DeleteMode::Remove;
    const SimOptions options = OptionsFor(DeviceKind::Zep, settings);
    ASSERT_TRUE(options.onDeleted);
    options.onDeleted("../outside.zep");
    options.onDeleted("A.zep");
    EXPECT_FALSE(std::filesystem::exists(root / "served/A.zep"));
    EXPECT_TRUE(std::filesystem::exists(root / "outside.zep"));
}

}  // namespace
}  // namespace zep::sim
