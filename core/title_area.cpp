// Reading title strings and number lists without ever leaving the area they come from.
#include "core/title_area.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "core/number_text.h"

namespace zep {

std::span<const std::uint8_t> TitleArea(std::span<const std::uint8_t> image) {
    if (image.size() < 2) {
        return {};
    }
    const std::size_t length = ReadBe16(image.data());
    return image.subspan(2, std::min(length, image.size() - 2));
}

std::optional<std::string> NthString(std::span<const std::uint8_t> area, int n) {
    if (n < 0) {
        return std::nullopt;
    }
    std::size_t start = 0;
    for (int index = 0; start <= area.size(); ++index) {
        const void* nul = area.size() > start
                              ? std::memchr(area.data() + start, 0, area.size() - start)
                              : nullptr;
        if (nul == nullptr) {
            return std::nullopt;
        }
        const std::size_t end = static_cast<const std::uint8_t*>(nul) - area.data();
        if (index == n) {
            return std::string(reinterpret_cast<const char*>(area.data() + start), end - start);
        }
        start = end + 1;
    }
    return std::nullopt;
}

long NthNumber(const std::optional<std::string>& text, int n) {
    if (!text) {
        return -1;
    }
    // Each number is followed by one separator; a place without digits reads as 0 and only
    // its separator is passed.
    std::string_view rest = *text;
    for (int index = 0; !rest.empty(); ++index) {
        const DecimalPrefix number = ReadDecimalPrefix(rest);
        rest.remove_prefix(number.length);
        if (!rest.empty()) {
            rest.remove_prefix(1);
        }
        if (index == n) {
            return SaturatedAs<long>(number.value);
        }
    }
    return -1;
}

}  // namespace zep
