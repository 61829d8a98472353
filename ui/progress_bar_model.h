#pragma once
// The text progress bar without pixels: position and range, the caption or percentage it
// shows, where the filled part ends, and when a position change is worth a repaint.
#include <string>
#include <string_view>

namespace zep {

class ProgressBarModel {
public:
    // Stores the position; true when the filled part's right edge moved by a whole pixel (or
    // no edge is recorded since the last resize), and the bar must be repainted at once.
    // `previous` receives the position before. An empty range fills nothing.
    bool SetPosition(int position, int clientWidth, int* previous = nullptr);
    // Ranges with upper not above lower paint nothing.
    void SetRange(int lower, int upper);
    // True when the caption changed and the bar must be repainted.
    bool SetCaption(std::string_view caption);
    // True when the flag changed.
    bool SetShowText(bool on);
    // After a resize the next position change repaints.
    void Resized() { m_lastWidth = -1; }

    int Position() const { return m_position; }
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    const std::string& Caption() const { return m_caption; }

    // Whether anything is painted at all.
    bool Paints() const { return m_lower < m_upper; }
    // The x where the filled part ends on a bar from `left`, `width` pixels wide; positions
    // outside the range are not clamped, but the result stays in left .. left + width.
    int SplitX(int left, int width) const;
    // The caption, or the percentage "37%" when there is none; empty when the text is off.
    std::string Text() const;

private:
    double Fraction() const;
    int FilledWidth(int clientWidth) const;

    int m_position = 0;
    int m_lower = 0;
    int m_upper = 100;
    std::string m_caption;
    bool m_showText = true;
    int m_lastWidth = -1;
};

}  // namespace zep
