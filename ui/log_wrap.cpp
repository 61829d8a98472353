// Word wrapping of log lines: rows end at the last space before the pane's right edge.
#include "ui/log_wrap.h"

#include "core/utf8_text.h"
#include "ui/log_colours.h"

namespace zep {

namespace {

// The nearest space in (after, before), or npos.
std::size_t SpaceBetween(std::string_view line, std::ptrdiff_t after, std::size_t before) {
    for (std::size_t j = before; j > 0 && static_cast<std::ptrdiff_t>(j - 1) > after; --j) {
        if (line[j - 1] == ' ') {
            return j - 1;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::vector<RowSpan> WrapLine(std::string_view line, std::size_t start, int width,
                              const TextWidth& measure) {
    std::vector<RowSpan> rows;
    std::size_t rowBegin = 0;
    std::ptrdiff_t lastBreak = static_cast<std::ptrdiff_t>(start) - 1;
    int run = 0;  // width of the characters taken since the last break or overflow
    bool runEmpty = true;
    std::size_t p = start;
    while (p < line.size()) {
        if (line[p] == '$') {
            p += ReadColourCode(line.substr(p)).length;
            continue;
        }
        const std::size_t length = Utf8CharLength(line, p);
        const bool alone = runEmpty;
        run += measure(line.substr(p, length));
        runEmpty = false;
        if (run < width) {
            p += length;
            continue;
        }
        run = 0;
        runEmpty = true;
        std::size_t j = SpaceBetween(line, lastBreak, p);
        const bool keepOverflow = j == 0;
        if (j != std::string_view::npos && static_cast<std::ptrdiff_t>(j) > lastBreak) {
            if (keepOverflow) {
                j = p;
            }
            rows.push_back({rowBegin, j});
            rowBegin = keepOverflow ? j : j + 1;
            lastBreak = static_cast<std::ptrdiff_t>(j);
            p = rowBegin;
        } else if (alone) {
            // One character at least as wide as the pane: it gets its row past the edge.
            p += length;
        }
    }
    rows.push_back({rowBegin, line.size()});
    return rows;
}

}  // namespace zep
