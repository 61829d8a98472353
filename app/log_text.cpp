#include "app/log_text.h"

#include <algorithm>

#include "core/number_text.h"

namespace zep {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// One or two characters: two when at least two are there and the second is a digit.
std::size_t NumberWidth(std::string_view from) {
    return from.size() >= 2 && IsDigit(from[1]) ? 2 : 1;
}

}  // namespace

ColourCode ReadColourCode(std::string_view rest) {
    const std::string_view r = rest.substr(1);
    if (r.empty()) {
        return {};
    }
    const auto comma = r.find(',');
    if (comma == 1 || (comma == 2 && IsDigit(r[1]))) {
        const std::string_view after = r.substr(comma + 1);
        const std::size_t width = after.empty() ? 0 : NumberWidth(after);
        return {1 + comma + 1 + width, ParseDecimalAs<int>(r.substr(0, comma)),
                ParseDecimalAs<int>(after.substr(0, width))};
    }
    const std::size_t width = NumberWidth(r);
    return {1 + width, ParseDecimalAs<int>(r.substr(0, width)), std::nullopt};
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
