#pragma once
// UTF-8, the form of every text inside the program, and its UTF-16 form for the interfaces that
// take wide text (Windows' calls, paths there). Malformed input never fails a conversion: a
// byte that starts no valid sequence stands for U+FFFD, and the text goes on after it.
#include <cstddef>
#include <string>
#include <string_view>

namespace zep {

// Bytes of the UTF-8 character starting at pos (1 for a stray byte), never past the text.
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);

// True when the whole text is well-formed UTF-8: no overlong form, no surrogate, nothing above
// U+10FFFF, no sequence cut short.
bool IsUtf8(std::string_view text);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t code);

// UTF-8 to UTF-16 code units, one per wchar_t (Windows' wide text), and back; unpaired
// surrogates coming back become U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace zep
