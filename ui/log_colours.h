#pragma once
// The colours of a log line: the 17-entry table and the reader of the "$" codes inside a line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zep {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr int kLogColourCount = 17;
inline constexpr int kLogDefaultColour = 1;  // black, in force at the start of every line

// The table entry, or nullopt for a number outside 0..16: such a code changes nothing.
std::optional<Rgb> LogColour(int index);

// A colour code at the start of a text that begins with "$". The numbers are as written (they
// may lie outside the table); a missing number means the colour stays.
struct ColourCode {
    std::size_t length = 1;  // bytes of the code, "$" included; never past the text
    std::optional<int> text;
    std::optional<int> background;
};

// Reads the code at the start of `code`, which must begin with "$". The one or two characters
// of a number are whole characters of the UTF-8 text, so a code never splits a letter.
ColourCode ReadColourCode(std::string_view code);

// Bytes of the UTF-8 character starting at `pos` (1 for a stray byte), never past the text.
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);

}  // namespace zep
