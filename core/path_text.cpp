// UTF-8 text to the native form of paths and back, leniently, in plain C++.
#include "core/path_text.h"

#include <cstdint>
#include <type_traits>

namespace zep {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The next code point of UTF-8 text; a malformed sequence gives U+FFFD and skips one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<std::uint8_t>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    const int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (extra < 0 || lead >= 0xF5 || i + static_cast<std::size_t>(extra) > text.size()) {
        return kReplacement;
    }
    char32_t code = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            return kReplacement;
        }
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return kReplacement;
    }
    i += static_cast<std::size_t>(extra);
    return code;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::wstring Utf16FromUtf8(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t code = NextCodePoint(text, i);
        if (code >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(code);
        }
    }
    return wide;
}

std::string Utf8FromUtf16(std::wstring_view wide) {
    std::string text;
    text.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t code = static_cast<char32_t>(wide[i]) & 0xFFFF;
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size() &&
            (wide[i + 1] & 0xFC00) == 0xDC00) {
            code = 0x10000 + ((code - 0xD800) << 10) + ((wide[i + 1] & 0x3FF));
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;
        }
        AppendUtf8(text, code);
    }
    return text;
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view text) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        return std::filesystem::path(Utf16FromUtf8(text));
    } else {
        return std::filesystem::path(std::string(text));
    }
}

std::string PathToUtf8(const std::filesystem::path& path) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        return Utf8FromUtf16(path.wstring());
    } else {
        return path.string();
    }
}

}  // namespace zep
