#include "media/drive_watcher.h"

#include <gtest/gtest.h>

#include "platform/environment.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

DriveRootLister Roots(std::vector<std::string> roots) {
    return [roots] { return roots; };
}

TEST(RescanDrives, TakesAtMostThirtyTwoDrivesAndBuildsFoldersWithoutSeparator) {
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back("/media/r" + std::to_string(i) + "/");
    }
    RemovableDriveTable table;
    EXPECT_EQ(RescanDrives(&table, kCardFolderName, Roots(many)), 32);
    EXPECT_EQ(table.count, 32);
    EXPECT_EQ(table.entries[31].root, "/media/r31/");
    EXPECT_EQ(table.entries[0].folder, "/media/r0/Pexilor/Tessal");
    // Without a table only the count comes back; without a name the folder is the root.
    EXPECT_EQ(RescanDrives(nullptr, kCardFolderName, Roots(many)), 32);
    RescanDrives(&table, std::nullopt, Roots({"/mnt/card/"}));
    EXPECT_EQ(table.count, 1);
    EXPECT_EQ(table.entries[0].folder, "/mnt/card/");
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

// A sysfs tree in miniature: block devices found through dev/block/<major:minor>.
class FakeSysfs : public ::testing::Test {
protected:
    fs::path Device(const std::string& majorMinor, const std::string& devicePath,
                    const char* removable) {
        const fs::path device = dir / "devices" / devicePath;
        fs::create_directories(device);
        if (removable != nullptr) {
            test::WriteFileText(device / "removable", removable);
        }
        fs::create_directories(dir / "dev" / "block");
        fs::create_directory_symlink(device, dir / "dev" / "block" / majorMinor);
        return device;
    }
    fs::path Partition(const std::string& majorMinor, const fs::path& disk,
                       const std::string& name) {
        const fs::path part = disk / name;
        fs::create_directories(part);
        test::WriteFileText(part / "partition", "1\n");
        fs::create_directory_symlink(part, dir / "dev" / "block" / majorMinor);
        return part;
    }

    TempDir dir;
};

TEST_F(FakeSysfs, TakesRemovableDisksTheirPartitionsAndUsbDevicesOnly) {
    Device("8:0", "pci0/ata1/block/sda", "0\n");
    Partition("8:1", dir / "devices/pci0/ata1/block/sda", "sda1");
    const fs::path reader = Device("8:16", "pci0/mmc0/block/mmcblk0", "1\n");
    Partition("8:17", reader, "mmcblk0p1");
    Device("8:32", "pci0/usb2/2-1/host6/block/sdc", "0\n");
    const std::string mountInfo =
        "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
        "30 22 0:25 / /proc rw - proc proc rw\n"
        "40 22 8:17 / /media/user/CARD\\040ONE rw - vfat /dev/mmcblk0p1 rw\n"
        "41 22 8:16 / /mnt/whole rw - vfat /dev/mmcblk0 rw\n"
        "42 22 8:32 / /mnt/stick/ rw - vfat /dev/sdc rw\n"
        "43 22 8:17 / /media/user/CARD\\040ONE rw - vfat /dev/mmcblk0p1 rw\n"
        "malformed line\n";
    EXPECT_EQ(RemovableMountPoints(mountInfo, dir.path()),
              (std::vector<std::string>{"/media/user/CARD ONE/", "/mnt/whole/", "/mnt/stick/"}));
}

TEST(MediaRoots, ListedFoldersBecomeRootsAfterTheMounts) {
    EXPECT_EQ(MediaRootsFromList("/a:/b/::/a/"), (std::vector<std::string>{"/a/", "/b/"}));
    EXPECT_TRUE(MediaRootsFromList("").empty());

    TempDir dir;
    const std::string listed = (dir / "card").string();
    ASSERT_TRUE(SetEnvironmentValue("ZEPIMPORT_MEDIA_ROOTS", listed));
    const auto roots = ListRemovableDriveRoots();
    SetEnvironmentValue("ZEPIMPORT_MEDIA_ROOTS", std::nullopt);
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(roots.back(), listed + "/");
}

}  // namespace
}  // namespace zep
