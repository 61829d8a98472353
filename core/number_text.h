#pragma once
// Numbers in device replies, read as the C conversions read them (leading blanks, an optional
// sign, digits up to the first other character; no digits give 0), but independent of the
// process locale and saturating instead of overflowing.
#include <cstdint>
#include <string_view>

namespace zep {

std::int64_t ParseDecimal(std::string_view text);
float ParseDecimalFraction(std::string_view text);

}  // namespace zep
