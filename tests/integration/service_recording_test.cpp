// What the service leaves for a support engineer: the log file with the session's lines, a
// recording of the session, and that recording replayed by "zepimport --replay" into a fresh
// folder giving the same raw files.
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
    std::filesystem::create_directories(dir / "fresh");
    const std::string command = "cd '" + dir.path().string() + "' && '" + BinaryFolder() +
                                "/zepimport' --replay program/sessions/" + recordings[0] +
                                " --program-dir fresh >replay.txt 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFileText(dir / "replay.txt");
    EXPECT_NE(ReadFileText(dir / "replay.txt").find("followed the recording to its end"),
              std::string::npos);
    EXPECT_EQ(ListFiles(dir / "fresh"), raw);
    for (const auto& name : raw) {
        EXPECT_EQ(ReadFileBytes(dir / "fresh" / name), ReadFileBytes(dir / "program" / name))
            << name;
    }
}

}  // namespace
}  // namespace zep::test
