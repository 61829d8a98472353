#pragma once
// The neutral interfaces speak UTF-8; the Windows calls used here take UTF-16.
#include <string>
#include <string_view>

namespace zep::win32 {

// Malformed input becomes U+FFFD rather than failing the whole text.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace zep::win32
