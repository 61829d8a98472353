// Reads decimal numbers out of texts the way atoi and strtol do, without locale or overflow.
#include "core/number_text.h"

#include <charconv>

namespace zep {

namespace {

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips leading blanks and a sign; returns whether the sign was a minus.
bool SkipBlanksAndSign(std::string_view& text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
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

DecimalPrefix ReadDecimalPrefix(std::string_view text) {
    const std::size_t size = text.size();
    const bool negative = SkipBlanksAndSign(text);
    // The magnitude is capped one above the largest value, so that the smallest is reachable.
    constexpr std::uint64_t kCap = static_cast<std::uint64_t>(INT64_MAX) + 1;
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && IsDigit(text[digits]); ++digits) {
        const auto digit = static_cast<std::uint64_t>(text[digits] - '0');
        magnitude = magnitude > (kCap - digit) / 10 ? kCap : magnitude * 10 + digit;
    }
    if (digits == 0) {
        return {};
    }
    const std::size_t length = size - text.size() + digits;
    if (negative) {
        return {magnitude == kCap ? INT64_MIN : -static_cast<std::int64_t>(magnitude), length};
    }
    return {static_cast<std::int64_t>(std::min<std::uint64_t>(magnitude, INT64_MAX)), length};
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
