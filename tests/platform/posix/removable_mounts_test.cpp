// The removable drive list on Linux: mount points of removable or USB block devices found
// through a sysfs tree in miniature, and the folders listed in ZEPIMPORT_MEDIA_ROOTS.
#include <gtest/gtest.h>

#include "platform/drive_list.h"
#include "platform/environment.h"
#include "platform/posix/removable_mounts.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

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
    EXPECT_EQ(posix::RemovableMountPoints(mountInfo, dir.path()),
              (std::vector<std::string>{"/media/user/CARD ONE/", "/mnt/whole/", "/mnt/stick/"}));
}

TEST(MediaRoots, ListedFoldersBecomeRootsAfterTheMounts) {
    EXPECT_EQ(posix::MediaRootsFromList("/a:/b/::/a/"), (std::vector<std::string>{"/a/", "/b/"}));
    EXPECT_TRUE(posix::MediaRootsFromList("").empty());

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
