// The removable drives' table and card insertions: each card folder reported once per insertion,
// in table order, and only existing folders counted present.
#include "media/drive_watcher.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

DriveRootLister Roots(std::vector<std::string> roots) {
    return [roots] { return roots; };
}

TEST(RescanDrives, TakesAtMostThirtyTwoDrives) {
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back("/media/r" + std::to_string(i) + "/");
    }
    RemovableDriveTable table;
    EXPECT_EQ(RescanDrives(&table, kCardFolderName, Roots(many)), 32);
    EXPECT_EQ(table.count, 32);
    EXPECT_EQ(table.entries[31].root, "/media/r31/");
    // Without a table only the count comes back; without a name the folder is the root.
    EXPECT_EQ(RescanDrives(nullptr, kCardFolderName, Roots(many)), 32);
    RescanDrives(&table, std::nullopt, Roots({"/mnt/card/"}));
    EXPECT_EQ(table.count, 1);
    EXPECT_EQ(table.entries[0].folder, "/mnt/card/");
}

// The folder is shown in the log and the preview's caption: in the system's own separators.
TEST(RescanDrives, JoinsTheCardFolderWithTheSystemsSeparator) {
#if GTEST_OS_WINDOWS
    const std::string root = "E:\\";
    const std::string folder = "E:\\Pexilor\\Tessal";
#else
    const std::string root = "/media/card/";
    const std::string folder = "/media/card/Pexilor/Tessal";
#endif
    RemovableDriveTable table;
    RescanDrives(&table, kCardFolderName, Roots({root}));
    EXPECT_EQ(table.entries[0].folder, folder);
}

TEST(RescanDrives, KeepsPresentFlagsOfListedDrivesAndStartsNewOnesAbsent) {
    RemovableDriveTable table;
    RescanDrives(&table, kCardFolderName, Roots({"/a/", "/b/"}));
    table.entries[0].present = true;
    table.entries[1].present = true;
    // /a/ moves to another index, /b/ goes away, /c/ is new.
    RescanDrives(&table, kCardFolderName, Roots({"/c/", "/a/"}));
    ASSERT_EQ(table.count, 2);
    EXPECT_FALSE(table.entries[0].present);
    EXPECT_TRUE(table.entries[1].present);
    // A drive that left the list and comes back is new again.
    RescanDrives(&table, kCardFolderName, Roots({"/b/", "/a/"}));
    EXPECT_FALSE(table.entries[0].present);
    EXPECT_TRUE(table.entries[1].present);
    // A failing listing empties the table.
    EXPECT_EQ(RescanDrives(&table, kCardFolderName, Roots({})), 0);
}

class CardFolders : public ::testing::Test {
protected:
    std::string Root(const std::string& name) {
        fs::create_directories(dir / name);
        return (dir / name).string() + "/";
    }
    void InsertCard(const std::string& root) { fs::create_directories(root + "Pexilor/Tessal"); }

    TempDir dir;
    RemovableDriveTable table;
};

TEST_F(CardFolders, ReportsEachInsertionOnceAndAgainOnlyAfterTheFolderWasGone) {
    const std::string e = Root("e");
    RescanDrives(&table, kCardFolderName, Roots({e}));
    EXPECT_EQ(FindNewCardFolder(table), std::nullopt);  // a card without the folder
    InsertCard(e);
    EXPECT_EQ(FindNewCardFolder(table), e + "Pexilor/Tessal");
    EXPECT_EQ(FindNewCardFolder(table), std::nullopt);
    // A rescan while the card stays does not make it new.
    RescanDrives(&table, kCardFolderName, Roots({e}));
    EXPECT_EQ(FindNewCardFolder(table), std::nullopt);
    fs::remove_all(e + "Pexilor");
    EXPECT_EQ(FindNewCardFolder(table), std::nullopt);
    InsertCard(e);
    EXPECT_EQ(FindNewCardFolder(table), e + "Pexilor/Tessal");
}

TEST_F(CardFolders, TwoCardsAreReportedOnePerSearchInTableOrder) {
    const std::string e = Root("e");
    const std::string f = Root("f");
    RescanDrives(&table, kCardFolderName, Roots({e, f}));
    InsertCard(f);
    InsertCard(e);
    EXPECT_EQ(FindNewCardFolder(table), e + "Pexilor/Tessal");
    EXPECT_FALSE(table.entries[1].present);  // not tested in that search
    EXPECT_EQ(FindNewCardFolder(table), f + "Pexilor/Tessal");
    EXPECT_EQ(FindNewCardFolder(table), std::nullopt);
}

TEST_F(CardFolders, ClearingAPresentFlagByHandReportsTheCardAgain) {
    const std::string e = Root("e");
    InsertCard(e);
    RescanDrives(&table, kCardFolderName, Roots({e}));
    ASSERT_TRUE(FindNewCardFolder(table).has_value());
    table.entries[0].present = false;
    EXPECT_EQ(FindNewCardFolder(table), e + "Pexilor/Tessal");
}

TEST(IsFolderPresent, OnlyExistingDirectoriesArePresent) {
    TempDir dir;
    test::WriteFileText(dir / "file", "x");
    EXPECT_TRUE(IsFolderPresent(dir.path().string()));
    EXPECT_FALSE(IsFolderPresent((dir / "file").string()));
    EXPECT_FALSE(IsFolderPresent((dir / "missing").string()));
    EXPECT_FALSE(IsFolderPresent(""));
}

}  // namespace
}  // namespace zep
