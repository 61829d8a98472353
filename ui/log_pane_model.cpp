// The log pane's lines, their limit, and the view line that scrolling and new lines move.
#include "ui/log_pane_model.h"

#include <algorithm>

#include "core/utf8_text.h"

namespace zep {

namespace {

std::string CutLine(std::string_view line) {
    if (line.size() <= LogPaneModel::kMaxLineBytes) {
        return std::string(line);
    }
    std::size_t end = 0;
    while (end < LogPaneModel::kMaxLineBytes) {
        const std::size_t next = end + Utf8CharLength(line, end);
        if (next > LogPaneModel::kMaxLineBytes) {
            break;
        }
        end = next;
    }
    return std::string(line.substr(0, end)) + "...";
}

}  // namespace

void LogPaneModel::AddLine(std::string_view line) {
    m_lines.push_back(CutLine(line));
    if (LineCount() > kMaxLines) {
        m_lines.pop_front();
        --m_viewLine;
    }
    if (m_viewLine == LineCount() - 2 || m_viewLine == -1) {
        ShowViewLine(m_viewLine + 1);
    }
}

void LogPaneModel::ShowViewLine(int v) {
    m_viewLine = std::clamp(v, -1, LineCount() - 1);
}

void LogPaneModel::Scroll(ScrollRequest request, int position) {
    switch (request) {
        case ScrollRequest::LineUp:
        case ScrollRequest::PageUp:
            if (m_viewLine > 0) {
                ShowViewLine(m_viewLine - 1);
            }
            break;
        case ScrollRequest::LineDown:
        case ScrollRequest::PageDown:
            if (m_viewLine < LineCount() - 1) {
                ShowViewLine(m_viewLine + 1);
            }
            break;
        case ScrollRequest::Thumb:
            ShowViewLine(position);
            break;
        case ScrollRequest::Top:
            ShowViewLine(0);
            break;
        case ScrollRequest::Bottom:
            ShowViewLine(LineCount() - 1);
            break;
    }
}

}  // namespace zep
