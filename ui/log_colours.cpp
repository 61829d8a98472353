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

}  // namespace

std::optional<Rgb> LogColour(int index) {
    if (index < 0 || index >= kLogColourCount) {
        return std::nullopt;
    }
    return kColours[static_cast<std::size_t>(index)];
}

}  // namespace zep
