// The headless mode's window: log lines to standard output, whole and in order.
#include "app/console_view.h"

#include <algorithm>
#include <array>

#include "app/log_text.h"
#include "app/visible_text.h"

namespace zep {

namespace {

// ANSI colours closest to the colour table of the panes. Black (1 and 16) is the terminal's
// own text colour, which stays readable on dark and light terminals alike.
constexpr std::array<int, 17> kAnsiText = {97, 39, 34, 32, 91, 31, 35, 33, 93,
                                           92, 36, 96, 94, 95, 90, 37, 39};
constexpr int kAnsiBackgroundOffset = 10;

std::string AnsiColours(const LogSegment& segment) {
    std::string sequence = "\x1b[0";
    if (segment.textColour >= 0 && segment.textColour < static_cast<int>(kAnsiText.size())) {
        sequence += ';' + std::to_string(kAnsiText[segment.textColour]);
    }
    if (segment.background && *segment.background >= 0 &&
        *segment.background < static_cast<int>(kAnsiText.size())) {
        sequence += ';' + std::to_string(kAnsiText[*segment.background] + kAnsiBackgroundOffset);
    }
    return sequence + 'm';
}

}  // namespace

std::string FormatConsoleLine(Pane pane, std::string_view line, bool ansiColours) {
    std::string text = pane == Pane::Lower ? kLowerPaneMark : "";
    if (!ansiColours) {
        return text + ShowControlCharacters(StripColourCodes(line));
    }
    bool coloured = false;
    for (const auto& segment : SplitLogLine(line)) {
        text += AnsiColours(segment);
        text += ShowControlCharacters(segment.text);
        coloured = true;
    }
    if (coloured) {
        text += "\x1b[0m";
    }
    return text;
}

ConsoleView::ConsoleView(std::ostream& out, std::ostream& errors, bool ansiColours)
    : m_out(out), m_errors(errors), m_ansiColours(ansiColours) {}

void ConsoleView::AddLine(Pane pane, const std::string& line) {
    WriteWhole(m_out, FormatConsoleLine(pane, line, m_ansiColours));
}

void ConsoleView::FillPortSelector(const std::vector<int>& ports, int selectedPort) {
    const bool listed = std::find(ports.begin(), ports.end(), selectedPort) != ports.end();
    m_controls.port = listed ? selectedPort : 0;
}

void ConsoleView::ShowError(const std::string& text) {
    WriteWhole(m_errors, text);
}

void ConsoleView::WriteWhole(std::ostream& stream, std::string line) {
    // One write per line: a journal or a pipe read by lines never sees the halves of two.
    line += '\n';
    std::lock_guard guard(m_mutex);
    // Once an output has failed (its reader gone) nothing more is written to it; the service
    // goes on with its work all the same.
    if (!stream) {
        return;
    }
    stream.write(line.data(), static_cast<std::streamsize>(line.size()));
    stream.flush();
}

}  // namespace zep
