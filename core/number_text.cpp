#include "core/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

namespace zep {

namespace {

// Skips leading blanks and a sign; returns whether the sign was a minus.
bool SkipBlanksAndSign(std::string_view& text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    text.remove_prefix(at);
    return negative;
}

}  // namespace

std::int64_t ParseDecimal(std::string_view text) {
    const bool negative = SkipBlanksAndSign(text);
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            break;
        }
        const int digit = c - '0';
        value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
    }
    return negative ? -value : value;
}

float ParseDecimalFraction(std::string_view text) {
    const bool negative = SkipBlanksAndSign(text);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        return 0.0f;  // a second sign: no number
    }
    // Read as double, so that only values beyond any float saturate.
    double value = 0.0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc()) {
        value = 0.0;
    }
    constexpr double kFloatMax = std::numeric_limits<float>::max();
    value = std::min(value, kFloatMax);
    return static_cast<float>(negative ? -value : value);
}

}  // namespace zep
