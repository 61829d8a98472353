// The colour codes of log lines read as the log panes draw them, for the console and the panes.
#include "app/log_text.h"

#include <algorithm>

#include "core/number_text.h"
#include "core/utf8_text.h"

namespace zep {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes of a number of "one or two characters": two when a second character exists and is a
// digit, else one (none when the text is empty).
std::size_t NumberLength(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const std::size_t first = Utf8CharLength(text, 0);
    return first < text.size() && IsDigit(text[first]) ? first + 1 : first;
}
}  // namespace

ColourCode ReadColourCode(std::string_view code) {
    ColourCode result;
    const std::string_view rest = code.substr(1);
    if (rest.empty()) {
        return result;
    }
    // Two numbers when the first comma follows one character, or two whose second is a digit.
    const std::size_t first = Utf8CharLength(rest, 0);
    std::size_t comma = std::string_view::npos;
    if (rest[0] != ',' && first < rest.size()) {
        if (rest[first] == ',') {
            comma = first;
        } else if (IsDigit(rest[first]) && first + 1 < rest.size() && rest[first + 1] == ',') {
            comma = first + 1;
        }
    }
    if (comma == std::string_view::npos) {
        const std::size_t length = NumberLength(rest);
        result.text = ParseDecimalAs<int>(rest.substr(0, length));
        result.length = 1 + length;
        return result;
    }
    const std::string_view after = rest.substr(comma + 1);
    const std::size_t backLength = NumberLength(after);
    result.text = ParseDecimalAs<int>(rest.substr(0, comma));
    result.background = ParseDecimalAs<int>(after.substr(0, backLength));
    result.length = 1 + comma + 1 + backLength;
    return result;
}

std::vector<LogSegment> SplitLogLine(std::string_view line) {
    std::vector<LogSegment> segments;
    LogSegment current;
    while (!line.empty()) {
        const auto dollar = line.find('$');
        current.text = std::string(line.substr(0, dollar));
        if (!current.text.empty()) {
            segments.push_back(current);
        }
        if (dollar == std::string_view::npos) {
            break;
        }
        line.remove_prefix(dollar);
        const ColourCode code = ReadColourCode(line);
        line.remove_prefix(std::min(code.length, line.size()));
        if (code.text) {
            current.textColour = *code.text;
        }
        if (code.background) {
            current.background = code.background;
        }
    }
    return segments;
}

std::string StripColourCodes(std::string_view line) {
    std::string text;
    for (const auto& segment : SplitLogLine(line)) {
        text += segment.text;
    }
    return text;
}

}  // namespace zep
