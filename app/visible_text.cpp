// Escapes control characters of a UTF-8 text so that a terminal prints them instead of
// obeying them.
#include "app/visible_text.h"

#include <cstdint>
#include <cstdio>

namespace zep {

namespace {

std::string Escape(const char* prefix, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%s%02x", prefix, value & 0xFFu);
    return text;
}

// Length of the valid UTF-8 sequence at the start of text, 0 when it is not one.
std::size_t SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    std::uint32_t code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < min || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

std::string ShowControlCharacters(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const auto lead = static_cast<std::uint8_t>(text[0]);
        if (lead < 0x80) {
            shown += lead < 0x20 || lead == 0x7F ? Escape("\\x", lead) : std::string(1, text[0]);
            text.remove_prefix(1);
            continue;
        }
        const std::size_t length = SequenceLength(text);
        if (length == 0) {
            shown += Escape("\\x", lead);
            text.remove_prefix(1);
            continue;
        }
        // U+0080 to U+009F, the C1 controls, are the two bytes C2 80 to C2 9F.
        const auto second = static_cast<std::uint8_t>(text[1]);
        if (lead == 0xC2 && second < 0xA0) {
            shown += Escape("\\u00", second);
        } else {
            shown.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return shown;
}

}  // namespace zep
