#pragma once
// The sort arrow of a list header item and the room left for the item's text, in pixels.
#include <vector>

namespace zep {

struct ArrowLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;  // the end point itself is not painted
    int y2 = 0;
    bool light = false;  // highlight colour; else shadow colour
    bool operator==(const ArrowLine&) const = default;
};

struct HeaderItemBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The lines of the arrow for an item box: pointing up when ascending.
std::vector<ArrowLine> SortArrowLines(const HeaderItemBox& item, bool ascending);

// The text's room in the item: moved when the header button is pressed, narrowed for the
// arrow in the sort column, and inset on both sides. Empty (left >= right) when nothing fits.
HeaderItemBox HeaderTextBox(const HeaderItemBox& item, bool pressed, bool sortColumn);

}  // namespace zep
