#pragma once
// Windows-1251, the code page of every text the devices store and send. Kept apart from the
// program's own table on purpose, as the check words are: a wrong entry in one shows against
// the other instead of being shared by both.
#include <string>
#include <string_view>

namespace zep::sim {

// UTF-8 text (the tools' own literals) as the device would store it; characters the code page
// lacks, and malformed bytes, become '?'.
std::string EncodeCp1251(std::string_view utf8);
// Device text made readable for the tools' event lines; the one unassigned byte becomes U+FFFD.
std::string DecodeCp1251(std::string_view bytes);

}  // namespace zep::sim
