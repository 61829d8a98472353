#pragma once
// The width of a log text in a font, as the sum of its characters' advances (the font is used
// without kerning, so this is the width the painter draws). Advances are cached per character:
// the log pane wraps every visible line on every paint.
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <array>
#include <string_view>

namespace zep {

class TextMeasure {
public:
    explicit TextMeasure(const QFont& font);
    int Width(std::string_view utf8) const;
    // The longest start of the text that begins within `width` pixels: whole characters up
    // to and including the first one that reaches past it.
    std::string_view Fitting(std::string_view utf8, int width) const;
    int LineHeight() const { return m_metrics.height(); }

private:
    int Advance(char32_t c) const;

    QFontMetrics m_metrics;
    mutable std::array<int, 128> m_ascii{};
    mutable QHash<char32_t, int> m_others;
};

// A font for measured text: the same font without kerning.
QFont UnkernedFont(QFont font);

}  // namespace zep
