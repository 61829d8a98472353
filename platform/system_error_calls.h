#pragma once
// The backend's part of a failure's reason (system_error.cpp): what its own codes mean and the
// text the system gives for a code.
#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace zep {

// The kind of a GetLastError code; Other where the system has no such codes.
FailureKind WindowsFailureKind(std::uint32_t code);
// The system's own words for the code, in the user's language where the system has them;
// empty when it has none.
std::string SystemText(const SystemError& error);

}  // namespace zep
