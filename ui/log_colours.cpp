// The log pane's colour table and the reader of its "$" colour codes.
#include "ui/log_colours.h"

#include <array>

namespace zep {

namespace {

constexpr std::array<Rgb, kLogColourCount> kColours = {{
    {255, 255, 255},
    {0, 0, 0},
    {0, 0, 128},
    {0, 128, 0},
    {255, 0, 0},
    {128, 0, 0},
    {128, 0, 128},
    {128, 128, 0},
    {255, 255, 0},
    {0, 255, 0},
    {0, 128, 128},
    {0, 255, 255},
    {0, 0, 255},
    {255, 0, 255},
    {128, 128, 128},
    {192, 192, 192},
    {0, 0, 0},
}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value a number conversion of the C library gives: leading white space, a sign, digits;
// anything else gives 0.
int NumberValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
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

std::optional<Rgb> LogColour(int index) {
    if (index < 0 || index >= kLogColourCount) {
        return std::nullopt;
    }
    return kColours[static_cast<std::size_t>(index)];
}

std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    std::size_t i = 1;
    while (i < length && pos + i < text.size() &&
           (static_cast<unsigned char>(text[pos + i]) & 0xC0) == 0x80) {
        ++i;
    }
    return i;
}

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
        result.text = NumberValue(rest.substr(0, length));
        result.length = 1 + length;
        return result;
    }
    const std::string_view after = rest.substr(comma + 1);
    const std::size_t backLength = NumberLength(after);
    result.text = NumberValue(rest.substr(0, comma));
    result.background = NumberValue(after.substr(0, backLength));
    result.length = 1 + comma + 1 + backLength;
    return result;
}

}  // namespace zep
