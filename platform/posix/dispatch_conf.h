#pragma once
// The dispatch values on Linux: section S is the file "<config home>/Kestrom/S.conf", its keys
// are those of the file's [General] group (names compared without regard to letter case).
#include <filesystem>

#include "platform/dispatch_values.h"

namespace zep::posix {

DispatchValues DispatchValuesBelow(const std::filesystem::path& configHome);

}  // namespace zep::posix
