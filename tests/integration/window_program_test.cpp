// The desktop window through the lean program: zepimport runs the window program in its own
// process, which then stands in for it (program folder, settings file, signals, exit status).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

// A copy of zepimport (and of the window program, if asked) in dir/bin, started without a mode
// option on the offscreen platform; the script's condition then decides when it gets SIGTERM.
// Returns the exit status, -1 when the script itself failed.
int RunCopy(const TempDir& dir, bool withWindowProgram, const std::string& untilBeforeSignal) {
    const std::string folder = dir.path().string();
    std::string shell = "cd '" + folder + "' || exit 1; mkdir -p bin config data && cp '" +
                        BinaryFolder() + "/zepimport' bin/ || exit 1; ";
    if (withWindowProgram) {
        shell += "cp '" + BinaryFolder() + "/zepimport-window' bin/ || exit 1; ";
    }
    shell += "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" + folder + "/config' XDG_DATA_HOME='" +
             folder + "/data' ZEPIMPORT_MEDIA_ROOTS= bin/zepimport >out.txt 2>err.txt & pid=$!; " +
             WaitFor(untilBeforeSignal) +
             "kill -TERM $pid 2>/dev/null; wait $pid; echo $? >status.txt";
    if (std::system(shell.c_str()) != 0) {
        return -1;
    }
    return std::stoi("0" + ReadFileText(dir / "status.txt"));
}

bool WindowProgramBuilt() {
    return fs::exists(BinaryFolder() + "/zepimport-window");
}

TEST(WindowProgramTest, RunsInTheLaunchersPlaceWithTheLaunchersSettingsSignalsAndStatus) {
    if (!WindowProgramBuilt()) {
        GTEST_SKIP() << "built without the window";
    }
    TempDir dir;
    // SIGTERM is caught once the window program has taken the process over; the launcher
    // leaves it at its default, which would end the process with status 143.
    const int status = RunCopy(dir, true,
                               "[ $((0x$(awk '/^SigCgt/ { print $2 }' /proc/$pid/status) & "
                               "0x4000)) -ne 0 ]");
    EXPECT_EQ(status, 0) << ReadFileText(dir / "err.txt");
    EXPECT_TRUE(fs::exists(dir / "bin" / "zepimport.ini")) << ReadFileText(dir / "err.txt");
    EXPECT_FALSE(fs::exists(dir / "bin" / "zepimport-window.ini"));
}

TEST(WindowProgramTest, AMissingWindowProgramIsSaidPlainly) {
    if (!WindowProgramBuilt()) {
        GTEST_SKIP() << "built without the window";
    }
    TempDir dir;
    const int status = RunCopy(dir, false, "! kill -0 $pid 2>/dev/null");
    EXPECT_EQ(status, 1);
    EXPECT_NE(ReadFileText(dir / "err.txt").find("zepimport-window is missing"), std::string::npos)
        << ReadFileText(dir / "err.txt");
}

}  // namespace
}  // namespace zep::test
