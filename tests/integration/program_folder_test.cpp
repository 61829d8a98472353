// The program folder of the service started without --program-dir: beside the executable where
// files can be created there, in the user's data home where they cannot (an installed program).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

// Runs a copy of zepimport from dir/bin until it says it runs, then ends it with SIGTERM. A
// folder that cannot be written is made with mode 0555; the superuser would write there anyway,
// so as root the copy then runs as nobody, as an installed program runs as its user.
HeadlessRun RunCopy(const TempDir& dir, bool writableFolder) {
    const std::string folder = dir.path().string();
    std::string shell = "cd '" + folder + "' || exit 1; mkdir -p bin data config && cp '" +
                        BinaryFolder() + "/zepimport' bin/ && chmod 0777 . data config || exit 1; ";
    shell += "runner=; ";
    if (!writableFolder) {
        shell +=
            "chmod 0555 bin; [ \"$(id -u)\" = 0 ] && "
            "runner='setpriv --reuid=65534 --regid=65534 --clear-groups'; ";
    }
    shell += "$runner env XDG_DATA_HOME='" + folder + "/data' XDG_CONFIG_HOME='" + folder +
             "/config' ZEPIMPORT_MEDIA_ROOTS= bin/zepimport --headless >out.txt 2>err.txt & "
             "pid=$!; i=0; while [ $i -lt 300 ] && ! grep -q 'SIGTERM ends it' err.txt; do "
             "sleep 0.1; i=$((i+1)); done; kill -TERM $pid; wait $pid; echo $? >status.txt; "
             "chmod 0755 bin";
    HeadlessRun run;
    if (std::system(shell.c_str()) == 0) {
        run.status = std::stoi("0" + ReadFileText(dir / "status.txt"));
    }
    run.out = ReadFileText(dir / "out.txt");
    run.err = ReadFileText(dir / "err.txt");
    return run;
}

TEST(ProgramFolderTest, WritableExecutableFolderKeepsTheSettingsBesideTheProgram) {
    TempDir dir;
    const HeadlessRun run = RunCopy(dir, true);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "bin" / "zepimport.ini")) << run.err;
    EXPECT_FALSE(fs::exists(dir / "data" / "zepimport")) << run.err;
    EXPECT_NE(run.err.find("program folder " + (dir / "bin").string() + ";"), std::string::npos)
        << run.err;
}

TEST(ProgramFolderTest, ReadOnlyExecutableFolderMovesTheProgramFolderToTheDataHome) {
    TempDir dir;
    const HeadlessRun run = RunCopy(dir, false);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "data" / "zepimport" / "zepimport.ini")) << run.err;
    EXPECT_EQ(ListFiles(dir / "bin"), std::vector<std::string>{"zepimport"});
    EXPECT_NE(run.err.find("program folder " + (dir / "data" / "zepimport").string()),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace zep::test
