// The progress bar's state, its split point and text, and its repaint-on-edge-move rule.
#include "ui/progress_bar_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zep {

namespace {

// Truncates towards zero into the range of int: a position far outside the range must not
// make the conversion overflow.
int TruncateToInt(double value) {
    constexpr double kMin = std::numeric_limits<int>::min();
    constexpr double kMax = std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(std::clamp(value, kMin, kMax)));
}

}  // namespace

bool ProgressBarModel::SetPosition(int position, int clientWidth, int* previous) {
    if (previous) {
        *previous = m_position;
    }
    m_position = position;
    const int width = FilledWidth(clientWidth);
    if (width == m_lastWidth) {
        return false;
    }
    m_lastWidth = width;
    return true;
}

int ProgressBarModel::FilledWidth(int clientWidth) const {
    if (!Paints()) {
        return 0;
    }
    const std::int64_t done = static_cast<std::int64_t>(m_position) - m_lower;
    const std::int64_t span = static_cast<std::int64_t>(m_upper) - m_lower;
    return TruncateToInt(static_cast<double>(done) * clientWidth / static_cast<double>(span));
}

void ProgressBarModel::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    m_lastWidth = -1;
}

bool ProgressBarModel::SetCaption(std::string_view caption) {
    if (caption == m_caption) {
        return false;
    }
    m_caption = caption;
    return true;
}

bool ProgressBarModel::SetShowText(bool on) {
    const bool changed = on != m_showText;
    m_showText = on;
    return changed;
}

double ProgressBarModel::Fraction() const {
    if (!Paints()) {
        return 0.0;
    }
    return (static_cast<double>(m_position) - m_lower) / (static_cast<double>(m_upper) - m_lower);
}

int ProgressBarModel::SplitX(int left, int width) const {
    const int filled = TruncateToInt(width * Fraction());
    return left + std::clamp(filled, 0, std::max(0, width));
}

std::string ProgressBarModel::Text() const {
    if (!m_showText) {
        return {};
    }
    if (!m_caption.empty()) {
        return m_caption;
    }
    return std::to_string(TruncateToInt(Fraction() * 100.0)) + "%";
}

}  // namespace zep
