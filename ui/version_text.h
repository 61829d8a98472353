#pragma once
// The about box's version line, made from the program file's version number.
#include <cstdint>
#include <string>

namespace zep {

// "Версия %lu.%02lu.%lu" from the low half of the most significant word, then the high and the
// low half of the least significant word: file version 2009.1.10.0 gives "Версия 1.10.0".
std::string FormatVersionText(std::uint32_t versionMs, std::uint32_t versionLs);

// The program's own file version, 2009.1.10.0.
// TODO(version header): take these from the generated version header once it exists.
inline constexpr std::uint32_t kFileVersionMs = (2009u << 16) | 1u;
inline constexpr std::uint32_t kFileVersionLs = (10u << 16) | 0u;

}  // namespace zep
