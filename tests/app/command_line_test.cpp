#include <gtest/gtest.h>

#include "app/command_line.h"

namespace zep::test {
namespace {

TEST(CommandLineTest, OwnOptionsAreRecognised) {
    const auto headless = ParseCommandLine({"--program-dir", "/srv/zep", "--headless"});
    ASSERT_TRUE(headless);
    EXPECT_TRUE(headless->headless);
    EXPECT_EQ(headless->programDir, "/srv/zep");
    EXPECT_FALSE(headless->error);

    const auto joined = ParseCommandLine({"--headless", "--program-dir=/srv/x"});
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->programDir, "/srv/x");

    EXPECT_TRUE(ParseCommandLine({"--help"})->help);
    EXPECT_TRUE(ParseCommandLine({"--version"})->version);
}

TEST(CommandLineTest, MistakesAreReportedAndForeignCommandsLeftAlone) {
    EXPECT_TRUE(ParseCommandLine({"--headless", "--program-dir"})->error);
    EXPECT_TRUE(ParseCommandLine({"--headless", "--bogus"})->error);
    EXPECT_FALSE(ParseCommandLine({"--inspect", "file.bia"}));
    EXPECT_FALSE(ParseCommandLine({"--program-dir", "/x", "--inspect", "file.bia"}));
}

TEST(CommandLineTest, WithoutAModeOptionTheWindowRuns) {
    EXPECT_TRUE(ParseCommandLine({})->window);
    const auto inFolder = ParseCommandLine({"--program-dir", "/x"});
    ASSERT_TRUE(inFolder);
    EXPECT_TRUE(inFolder->window);
    EXPECT_FALSE(inFolder->error);
    EXPECT_FALSE(ParseCommandLine({"--headless"})->window);
    EXPECT_FALSE(ParseCommandLine({"--version"})->window);
}

}  // namespace
}  // namespace zep::test
