#pragma once
// The window speaks UTF-16 to Windows; the program's texts are UTF-8.
#include <string>
#include <string_view>

namespace zep::win32 {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

}  // namespace zep::win32
