// Cell comparisons of the sortable list: number, date and alphabetical text.
#include "ui/cell_compare.h"

#include <cstdint>
#include <limits>

#include "core/utf8_text.h"

namespace zep {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value a number conversion of the C library gives, held within the range of int.
long long NumberValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long kLimit = std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value < kLimit ? value * 10 + (text[i] - '0') : value;
    }
    return negative ? -std::min(value, kLimit + 1) : std::min(value, kLimit);
}

// Characters [pos, pos + length) of the text, as far as it reaches.
std::string_view Field(std::string_view text, std::size_t pos, std::size_t length) {
    return pos < text.size() ? text.substr(pos, length) : std::string_view();
}

int Sign(long long difference) {
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

bool IsDate(std::string_view s) {
    if (s.size() != 10 || s[2] != '/' || s[5] != '/') {
        return false;
    }
    for (const std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9}) {
        if (!IsDigit(s[i])) {
            return false;
        }
    }
    return true;
}

int CompareDates(std::string_view s, std::string_view t) {
    for (const auto& [pos, length] : {std::pair{6, 4}, std::pair{3, 2}, std::pair{0, 2}}) {
        const int order =
            Sign(NumberValue(Field(s, pos, length)) - NumberValue(Field(t, pos, length)));
        if (order != 0) {
            return order;
        }
    }
    return 0;
}

char32_t Decode(std::string_view text, std::size_t pos, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (length == 1) {
        return lead;
    }
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    }
    return value;
}

// The alphabetical weight of a character (case folded) and whether it is a capital.
struct Weight {
    std::uint32_t primary;
    bool capital;
};

Weight WeightOf(char32_t c) {
    if (c >= U'A' && c <= U'Z') {
        return {static_cast<std::uint32_t>(c - U'A' + U'a') * 2, true};
    }
    if (c >= U'\u0410' && c <= U'\u042F') {  // А..Я
        return {static_cast<std::uint32_t>(c + 0x20) * 2, true};
    }
    if (c == U'\u0401' || c == U'\u0451') {  // Ё, ё: just after е
        return {0x435 * 2 + 1, c == U'\u0401'};
    }
    return {static_cast<std::uint32_t>(c) * 2, false};
}

// Compares the texts' weights: the primary ones first; when all are equal, the case.
int CompareWeights(std::string_view s, std::string_view t) {
    int caseOrder = 0;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < s.size() && j < t.size()) {
        const std::size_t li = Utf8CharLength(s, i);
        const std::size_t lj = Utf8CharLength(t, j);
        const Weight a = WeightOf(Decode(s, i, li));
        const Weight b = WeightOf(Decode(t, j, lj));
        if (a.primary != b.primary) {
            return a.primary < b.primary ? -1 : 1;
        }
        if (caseOrder == 0 && a.capital != b.capital) {
            caseOrder = a.capital ? 1 : -1;
        }
        i += li;
        j += lj;
    }
    if (i < s.size() || j < t.size()) {
        return i < s.size() ? 1 : -1;
    }
    return caseOrder;
}

}  // namespace

CellOrder CellOrderOf(std::string_view s) {
    bool digits = true;
    for (const char c : s) {
        digits = digits && IsDigit(c);
    }
    if (digits) {
        return CellOrder::Number;
    }
    return IsDate(s) ? CellOrder::Date : CellOrder::Text;
}

int CompareText(std::string_view s, std::string_view t) {
    const int order = CompareWeights(s, t);
    if (order != 0) {
        return order;
    }
    const int bytes = s.compare(t);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

int CompareCells(std::string_view s, std::string_view t) {
    return CompareCellsAs(CellOrderOf(s), s, t);
}

int CompareCellsAs(CellOrder order, std::string_view s, std::string_view t) {
    switch (order) {
        case CellOrder::Number:
            return Sign(NumberValue(s) - NumberValue(t));
        case CellOrder::Date:
            return CompareDates(s, t);
        case CellOrder::Text:
            return CompareText(s, t);
    }
    return 0;
}

}  // namespace zep
