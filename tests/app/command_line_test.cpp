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
    EXPECT_TRUE(ParseCommandLine({"--program-dir", "/x"})->error);  // nothing to run
    EXPECT_FALSE(ParseCommandLine({"--inspect", "file.bia"}));
    EXPECT_FALSE(ParseCommandLine({"--program-dir", "/x", "--inspect", "file.bia"}));
    EXPECT_FALSE(ParseCommandLine({}));
}

}  // namespace
}  // namespace zep::test
