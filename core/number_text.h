#pragma once
// The one reader of decimal numbers in texts (settings values, device replies, archive titles,
// log colour codes), read as atoi and strtol read them: leading blanks (space, \t to \r), an
// optional sign, decimal digits up to the first other character; no digits give 0. It does not
// depend on the process locale and saturates instead of overflowing.
#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace zep {

struct DecimalPrefix {
    std::int64_t value = 0;  // saturated to the 64-bit range
    // Characters read, blanks and sign included; 0 when there are no digits (as strtol leaves
    // its end pointer at the start).
    std::size_t length = 0;
};

DecimalPrefix ReadDecimalPrefix(std::string_view text);

inline std::int64_t ParseDecimal(std::string_view text) {
    return ReadDecimalPrefix(text).value;
}

template <std::integral T>
T SaturatedAs(std::int64_t value) {
    return static_cast<T>(std::clamp<std::int64_t>(value, std::numeric_limits<T>::min(),
                                                   std::numeric_limits<T>::max()));
}

// The number saturated to the range of T: ParseDecimalAs<int> is atoi without its overflow.
template <std::integral T>
T ParseDecimalAs(std::string_view text) {
    return SaturatedAs<T>(ParseDecimal(text));
}

// The same rules with a decimal fraction and exponent behind the digits; saturates to the float
// range.
float ParseDecimalFraction(std::string_view text);

}  // namespace zep
