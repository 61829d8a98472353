// Every program in tools/ answers --help with its usage on standard output and does nothing
// else: no folder named "--help", no port, no device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

class ToolHelpTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ToolHelpTest, HelpPrintsTheUsageAndTouchesNothing) {
    TempDir dir;
    const std::string command = "cd '" + dir.path().string() +
                                "' && XDG_CONFIG_HOME=config timeout 10 '" + BinaryFolder() + "/" +
                                GetParam() + "' --help >out.txt 2>err.txt";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFileText(dir / "err.txt");
    const std::string out = ReadFileText(dir / "out.txt");
    EXPECT_NE(out.find(GetParam()), std::string::npos) << out;
    EXPECT_TRUE(out.starts_with("usage: ") || out.starts_with("Usage: ")) << out;
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        entries.push_back(entry.path().filename().string());
    }
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"err.txt", "out.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolHelpTest,
                         ::testing::Values("cardgen", "zep-demo-devices", "zep-sim", "tessal-sim",
                                           "kolvar-sim"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 c = c == '-' ? '_' : c;
                             }
                             return name;
                         });

}  // namespace
}  // namespace zep::test
