#pragma once
// The removable drives of the machine and the presence test of a folder on one of them.
// A root is a mount point (or a listed folder) with a trailing "/".
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zep {

// Mount points of removable block devices, then the folders of the colon-separated
// environment variable ZEPIMPORT_MEDIA_ROOTS; each root once, in that order.
std::vector<std::string> ListRemovableDriveRoots();

// True when the folder can be asked for its file system's free space and is a directory: a
// card folder on a pulled card or an empty reader tests absent.
bool IsFolderPresent(const std::string& folder);

// The pieces of the listing, open to checks with sample data.
// Mount points (with a trailing "/") of the mountinfo lines whose block device has the
// removable flag (its own or, for a partition, its disk's) or sits behind a USB controller,
// looked up under the given sysfs root.
std::vector<std::string> RemovableMountPoints(std::string_view mountInfo,
                                              const std::filesystem::path& sysfsRoot);
// The roots of a ZEPIMPORT_MEDIA_ROOTS value; empty items are dropped.
std::vector<std::string> MediaRootsFromList(std::string_view value);

}  // namespace zep
