#pragma once
// Devices, files and drivers speak Windows-1251; people read UTF-8. Bytes stay bytes in every
// file written; these conversions are only for what a person reads.
#include <string>
#include <string_view>

namespace zep {

// The one unassigned byte (0x98) becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view bytes);

}  // namespace zep
