#pragma once
// The pieces of the removable drive list on Linux, open to checks with sample data.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zep::posix {

// Mount points (with a trailing "/") of the mountinfo lines whose block device has the
// removable flag (its own or, for a partition, its disk's) or sits behind a USB controller,
// looked up under the given sysfs root.
std::vector<std::string> RemovableMountPoints(std::string_view mountInfo,
                                              const std::filesystem::path& sysfsRoot);
// The roots of a ZEPIMPORT_MEDIA_ROOTS value (colon-separated); empty items are dropped.
std::vector<std::string> MediaRootsFromList(std::string_view value);

}  // namespace zep::posix
