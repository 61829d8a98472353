#pragma once
// The dispatch values on Linux: section S is the file "<config home>/Kestrom/S.conf", its keys
// are those of the file's [General] group (names compared without regard to letter case). A
// file that is not to be read (platform/config_file.h) counts as missing and is listed by
// UnreadCarriers.
#include <filesystem>

#include "platform/dispatch_values.h"

namespace zep::posix {

DispatchValues DispatchValuesBelow(const std::filesystem::path& configHome);

}  // namespace zep::posix
