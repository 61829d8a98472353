// The geometry of the list header's sort arrow and of the text beside it.
#include "ui/header_arrow.h"

namespace zep {

namespace {

int Quarter(const HeaderItemBox& item) {
    return (item.bottom - item.top) / 4;
}

}  // namespace

std::vector<ArrowLine> SortArrowLines(const HeaderItemBox& item, bool ascending) {
    const int h = Quarter(item);
    const int r = item.right;
    const int b = item.bottom;
    if (ascending) {
        return {{r - 2 * h, h, r - h, b - h - 1, true},
                {r - h, b - h - 1, r - 3 * h - 2, b - h - 1, true},
                {r - 3 * h - 1, b - h - 1, r - 2 * h, h - 1, false}};
    }
    return {{r - h - 1, h, r - 2 * h - 1, b - h, true},
            {r - 2 * h - 2, b - h, r - 3 * h - 1, h, false},
            {r - 3 * h - 1, h, r - h - 1, h, false}};
}

HeaderItemBox HeaderTextBox(const HeaderItemBox& item, bool pressed, bool sortColumn) {
    const int h = Quarter(item);
    HeaderItemBox text = item;
    if (pressed) {
        text.left += 1;
        text.right += 1;
        text.top += 2;
    }
    if (sortColumn) {
        text.right -= 3 * h;
    }
    text.left += h;
    text.right -= h;
    return text;
}

}  // namespace zep
