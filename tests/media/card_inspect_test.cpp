// The inspection's account of a card database: entries, flags, checks and titles; damaged
// databases described too, other files not.
#include "media/card_inspect.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/temp_dir.h"
#include "tools/cardgen/card_builders.h"

namespace zep {
namespace {

using cardgen::CardDatabaseBuilder;
using cardgen::CardRecordSpec;

TEST(DescribeCardDatabase, ShowsEntriesFlagsChecksAndTitles) {
    test::TempDir dir;
    CardRecordSpec bad;
    bad.wrongCheckWord = true;
    bad.flags = 0x10;
    CardRecordSpec good;
    good.vname = "Котельная";
    cardgen::WriteBytes(dir / "db", CardDatabaseBuilder().Add(good).Add(bad).Build());
    std::ostringstream out;
    ASSERT_EQ(DescribeCardDatabase(dir / "db", out), CardDescription::Usable);
    const std::string text = out.str();
    EXPECT_NE(text.find("2 entries, 1 imported+deleted, 0 void"), std::string::npos) << text;
    EXPECT_NE(text.find("vname: Котельная"), std::string::npos) << text;
    EXPECT_NE(text.find(": ok"), std::string::npos) << text;
    EXPECT_NE(text.find(": WRONG"), std::string::npos) << text;
    EXPECT_NE(text.find("flags 0x10 imported+deleted"), std::string::npos) << text;
}

TEST(DescribeCardDatabase, DamagedDatabasesAreDescribedOtherFilesAreNot) {
    test::TempDir dir;
    auto image = CardDatabaseBuilder().Add({}).Build();
    image[76] = image[77] = 0;
    cardgen::WriteBytes(dir / "damaged", image);
    cardgen::WriteBytes(dir / "other", cardgen::BuildMeterArchive({}));
    std::ostringstream damaged;
    EXPECT_EQ(DescribeCardDatabase(dir / "damaged", damaged), CardDescription::Unusable);
    EXPECT_NE(damaged.str().find("load failed, code 4"), std::string::npos) << damaged.str();
    std::ostringstream other;
    EXPECT_EQ(DescribeCardDatabase(dir / "other", other), CardDescription::NotADatabase);
    EXPECT_EQ(DescribeCardDatabase(dir / "missing", other), CardDescription::NotADatabase);
    EXPECT_TRUE(other.str().empty());
}

}  // namespace
}  // namespace zep
