#pragma once
// Paths as UTF-8 text and back. Where a path keeps wide characters (Windows), the narrow
// conversions of std::filesystem::path follow neither UTF-8 nor one another, and may throw on
// bytes they cannot map; these two always use UTF-8 and never throw: malformed input becomes
// U+FFFD.
#include <filesystem>
#include <string>
#include <string_view>

namespace zep {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace zep
