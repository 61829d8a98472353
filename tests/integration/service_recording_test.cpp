// What the service leaves for a support engineer: the log file with the session's lines, a
// recording of the session, and that recording replayed by "zepimport --replay" into a fresh
// folder giving the same raw files; the same recording cut short refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

TEST(ServiceRecording, ASessionIsLoggedRecordedAndReplayedToTheSameRawFiles) {
    TempDir dir;
    WriteSettings(dir, "[COM Port]\r\nm_port=7\r\n");
    const HeadlessRun run = RunHeadless(
        dir, ServiceScript()
                 .Before(StartDevice("zep-sim", "--generate 3", 7))
                 .WaitUntil("ls program/sessions/ | grep -q '[.]zsr$' && ls program/*.bia"));
    EXPECT_EQ(run.status, 0) << run.err;
    const auto raw = RawFiles(dir);
    ASSERT_EQ(raw.size(), 3u) << run.out;

    const std::string log = ReadFileText(dir / "program" / "zepimport.log");
    EXPECT_NE(log.find(" U Сеанс связи начат "), std::string::npos) << log;
    EXPECT_NE(log.find(" U Импорт данных завершен.\n"), std::string::npos) << log;

    const auto recordings = ListFiles(dir / "program" / "sessions");
    ASSERT_EQ(recordings.size(), 1u);
    EXPECT_TRUE(recordings[0].ends_with("-zep.zsr")) << recordings[0];
    // The replay of a recording into a folder of its own, what it said kept in a text file.
    const auto replay = [&](const std::string& recording, const std::string& folder) {
        std::filesystem::create_directories(dir / folder);
        const std::string command = "cd '" + dir.path().string() + "' && '" + BinaryFolder() +
                                    "/zepimport' --replay " + recording + " --program-dir " +
                                    folder + " >" + folder + ".txt 2>&1";
        return std::system(command.c_str());
    };
    EXPECT_EQ(replay("program/sessions/" + recordings[0], "fresh"), 0)
        << ReadFileText(dir / "fresh.txt");
    EXPECT_NE(ReadFileText(dir / "fresh.txt").find("followed the recording to its end"),
              std::string::npos);
    EXPECT_EQ(ListFiles(dir / "fresh"), raw);
    for (const auto& name : raw) {
        EXPECT_EQ(ReadFileBytes(dir / "fresh" / name), ReadFileBytes(dir / "program" / name))
            << name;
    }

    // A recording cut short is refused, with where it ends, before anything runs.
    std::vector<std::uint8_t> cut = ReadFileBytes(dir / "program" / "sessions" / recordings[0]);
    cut.resize(cut.size() - 3);
    WriteFileBytes(dir / "cut.zsr", cut);
    EXPECT_NE(replay("cut.zsr", "refused"), 0);
    EXPECT_NE(ReadFileText(dir / "refused.txt")
                  .find("damaged at offset " + std::to_string(cut.size()) + ": cut short"),
              std::string::npos)
        << ReadFileText(dir / "refused.txt");
    EXPECT_TRUE(ListFiles(dir / "refused").empty());
}

}  // namespace
}  // namespace zep::test
