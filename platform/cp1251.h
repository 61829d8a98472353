#pragma once
// Devices, files and drivers speak Windows-1251; people read UTF-8. Bytes stay bytes in every
// file written; these conversions are only for what a person reads.
#include <string>
#include <string_view>

namespace zep {

std::string Cp1251ToUtf8(std::string_view bytes);
// Characters without a Windows-1251 form become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp1251(std::string_view text);

}  // namespace zep
