#pragma once
// The lines of a log pane and the line its view shows at the bottom edge, with the scroll
// rules: the pane follows the newest line unless the user has scrolled away from it.
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace zep {

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, Thumb, Top, Bottom };

class LogPaneModel {
public:
    static constexpr int kMaxLines = 500;
    // Longer lines are cut here (at a character boundary, marked with "..."): the pane bounds
    // its memory and the cost of wrapping one line on every paint.
    static constexpr std::size_t kMaxLineBytes = 4096;

    // Appends a line, dropping the oldest beyond kMaxLines; the view moves to the new line when
    // it showed the newest line before, else it stays on the line it shows.
    void AddLine(std::string_view line);
    // A scroll bar request; `position` is the thumb's position for ScrollRequest::Thumb.
    void Scroll(ScrollRequest request, int position = 0);
    // Shows line v at the bottom edge, clamped to -1 .. LineCount() - 1.
    void ShowViewLine(int v);

    int ViewLine() const { return m_viewLine; }
    int LineCount() const { return static_cast<int>(m_lines.size()); }
    const std::string& Line(int index) const { return m_lines[static_cast<std::size_t>(index)]; }
    // The scroll bar's range is 0 .. ScrollMaximum().
    int ScrollMaximum() const { return LineCount() > 0 ? LineCount() - 1 : 0; }

private:
    std::deque<std::string> m_lines;
    int m_viewLine = -1;
};

}  // namespace zep
