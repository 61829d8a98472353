#pragma once
// Word wrapping of a log line to the width of the pane. Colour codes take no width.
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace zep {

// Width in pixels of a text without colour codes, as the drawing toolkit measures it. Widths
// add up: a text is as wide as its characters together (the pane draws without kerning, as
// the platform's plain text output does), so a row's width grows by one character's width.
using TextWidth = std::function<int(std::string_view)>;

// One row of a wrapped line: bytes [begin, end) of the line. A row broken at a space ends
// before it and the next row starts after it.
struct RowSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const RowSpan&) const = default;
};

// Breaks the line from byte `start` on (the text before it, a colour prefix, is not broken)
// at the last space before the row would reach `width`. A word with no space before it since
// the last break is not broken and runs past the edge. When the only space is the line's first
// character the row is broken at the overflow itself, keeping the character there. At least
// one row; every row makes progress, also when one character is wider than the pane.
std::vector<RowSpan> WrapLine(std::string_view line, std::size_t start, int width,
                              const TextWidth& measure);

}  // namespace zep
