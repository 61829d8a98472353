// Cached per-character text widths for the log pane's wrapping and drawing.
#include "window/qt/text_measure.h"

#include <QString>

#include "core/utf8_text.h"

namespace zep {

namespace {

char32_t DecodeUtf8(std::string_view text, std::size_t pos, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (length == 1) {
        return lead < 0x80 ? lead : 0xFFFD;
    }
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    }
    return value;
}

}  // namespace

QFont UnkernedFont(QFont font) {
    font.setKerning(false);
    return font;
}

TextMeasure::TextMeasure(const QFont& font) : m_metrics(font) {
    m_ascii.fill(-1);
}

int TextMeasure::Advance(char32_t c) const {
    if (c < m_ascii.size()) {
        int& cached = m_ascii[c];
        if (cached < 0) {
            cached = m_metrics.horizontalAdvance(QChar(static_cast<char16_t>(c)));
        }
        return cached;
    }
    const auto found = m_others.constFind(c);
    if (found != m_others.constEnd()) {
        return *found;
    }
    const int advance = m_metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
    m_others.insert(c, advance);
    return advance;
}

int TextMeasure::Width(std::string_view utf8) const {
    int width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t length = Utf8CharLength(utf8, pos);
        width += Advance(DecodeUtf8(utf8, pos, length));
        pos += length;
    }
    return width;
}

std::string_view TextMeasure::Fitting(std::string_view utf8, int width) const {
    int x = 0;
    std::size_t pos = 0;
    while (pos < utf8.size() && x < width) {
        const std::size_t length = Utf8CharLength(utf8, pos);
        x += Advance(DecodeUtf8(utf8, pos, length));
        pos += length;
    }
    return utf8.substr(0, pos);
}

}  // namespace zep
