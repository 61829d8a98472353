#pragma once
// Title areas: a sequence of NUL-terminated strings, as in assembled archives and card
// database records, and the number lists some of them hold.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zep {

// The n-th (from 0) NUL-terminated string of a title area; nullopt when the area holds fewer
// than n + 1 terminated strings. Never reads past the area.
std::optional<std::string> NthString(std::span<const std::uint8_t> area, int n);

// The title area of an assembled archive image (the big-endian length H, then H bytes),
// clipped to the image.
std::span<const std::uint8_t> TitleArea(std::span<const std::uint8_t> image);

// The n-th decimal number of a list such as "1,2,5" (numbers separated by exactly one other
// character), or -1 when the text is absent or holds fewer numbers.
long NthNumber(const std::optional<std::string>& text, int n);

}  // namespace zep
