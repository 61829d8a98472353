#pragma once
// The removable drives of the machine and the presence test of a folder on one of them.
// A root ends in the path separator ("/media/card/", "E:\\").
#include <string>
#include <vector>

namespace zep {

// The roots of the removable drives, each once: on Linux the mount points of removable block
// devices, then the folders of the colon-separated environment variable ZEPIMPORT_MEDIA_ROOTS.
std::vector<std::string> ListRemovableDriveRoots();

// True when the folder can be asked for its file system's free space and is a directory: a
// card folder on a pulled card or an empty reader tests absent.
bool IsFolderPresent(const std::string& folder);

}  // namespace zep
