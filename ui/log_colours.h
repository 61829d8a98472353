#pragma once
// The colours of a log line: the 17-entry table. The codes themselves are read by
// ReadColourCode (app/log_text.h), the same reader the console uses.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/log_text.h"

namespace zep {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr int kLogColourCount = 17;
inline constexpr int kLogDefaultColour = 1;  // black, in force at the start of every line

// The table entry, or nullopt for a number outside 0..16: such a code changes nothing.
std::optional<Rgb> LogColour(int index);

}  // namespace zep
