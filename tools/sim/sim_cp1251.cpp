// Windows-1251 for the simulators and the card generator: the Cyrillic alphabet by arithmetic,
// the upper punctuation half from a table of its own.
#include "tools/sim/sim_cp1251.h"

#include <array>
#include <cstdint>

namespace zep::sim {

namespace {

// Code points of the bytes 0x80..0xBF; 0 marks the one byte (0x98) without a character.
constexpr std::array<char32_t, 64> kPunctuation = {
    U'Ђ', U'Ѓ', U'‚', U'ѓ', U'„', U'…', U'†',      U'‡', U'€', U'‰', U'Љ', U'‹', U'Њ',
    U'Ќ', U'Ћ', U'Џ', U'ђ', U'‘', U'’', U'“',      U'”', U'•', U'–', U'—', 0,    U'™',
    U'љ', U'›', U'њ', U'ќ', U'ћ', U'џ', U'\u00A0', U'Ў', U'ў', U'Ј', U'¤', U'Ґ', U'¦',
    U'§', U'Ё', U'©', U'Є', U'«', U'¬', U'\u00AD', U'®', U'Ї', U'°', U'±', U'І', U'і',
    U'ґ', U'µ', U'¶', U'·', U'ё', U'№', U'є',      U'»', U'ј', U'Ѕ', U'ѕ', U'ї'};
constexpr char32_t kFirstLetter = U'А';  // 0xC0; the 64 letters А..я follow in order

char ByteFor(char32_t code) {
    if (code < 0x80) {
        return static_cast<char>(code);
    }
    if (code >= kFirstLetter && code < kFirstLetter + 64) {
        return static_cast<char>(0xC0 + (code - kFirstLetter));
    }
    for (std::size_t i = 0; i < kPunctuation.size(); ++i) {
        if (kPunctuation[i] != 0 && kPunctuation[i] == code) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

void PutUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
        return;
    }
    // Everything the code page holds lies below U+10000.
    if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (code & 0x3F));
}

}  // namespace

std::string EncodeCp1251(std::string_view utf8) {
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i++]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC0 ? 1
                                         : -1;
        char32_t code = extra > 0 ? lead & (0x3F >> extra) : lead;
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) <= utf8.size();
        for (int k = 0; valid && k < extra; ++k) {
            const auto next = static_cast<std::uint8_t>(utf8[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are no characters: each of their bytes becomes '?'.
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || code < kSmallest[extra] || (code >= 0xD800 && code <= 0xDFFF)) {
            out += '?';
            continue;
        }
        i += static_cast<std::size_t>(extra);
        out += ByteFor(code);
    }
    return out;
}

std::string DecodeCp1251(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) {
            out += c;
        } else if (byte >= 0xC0) {
            PutUtf8(out, kFirstLetter + (byte - 0xC0));
        } else {
            const char32_t code = kPunctuation[byte - 0x80];
            PutUtf8(out, code != 0 ? code : U'\uFFFD');
        }
    }
    return out;
}

}  // namespace zep::sim
