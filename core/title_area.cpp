// Reading title strings and number lists without ever leaving the area they come from.
#include "core/title_area.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/byte_order.h"

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
    const char* p = text->c_str();
    for (int index = 0; *p != '\0'; ++index) {
        char* end = nullptr;
        const long value = std::strtol(p, &end, 10);
        p = end;
        if (*p != '\0') {
            ++p;
        }
        if (index == n) {
            return value;
        }
    }
    return -1;
}

}  // namespace zep
