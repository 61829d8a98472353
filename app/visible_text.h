#pragma once
// Texts from files and devices reach the log unchanged; a terminal would obey the control
// characters among them (ESC sequences, CR, C1 controls). The console shows them instead.
#include <string>
#include <string_view>

namespace zep {

// The text with every C0 control and DEL written as \xHH, every C1 control as \u00HH, and
// every byte that is not part of valid UTF-8 as \xHH; everything else is kept.
std::string ShowControlCharacters(std::string_view text);

}  // namespace zep
