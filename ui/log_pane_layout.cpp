// Lays out a log pane bottom-up: wrapping, repeated colour prefixes and colour runs per row.
#include "ui/log_pane_layout.h"

#include <algorithm>
#include <string_view>

namespace zep {

namespace {

struct Pen {
    Rgb colour = *LogColour(kLogDefaultColour);
    std::optional<Rgb> background;
};

void Apply(const ColourCode& code, Pen& pen) {
    if (code.text) {
        if (const auto colour = LogColour(*code.text)) {
            pen.colour = *colour;
        }
    }
    if (code.background) {
        if (const auto colour = LogColour(*code.background)) {
            pen.background = *colour;
        }
    }
}

void AddRun(std::string_view text, const Pen& pen, std::vector<TextRun>& runs) {
    if (!text.empty()) {
        runs.push_back({std::string(text), pen.colour, pen.background});
    }
}

std::vector<TextRun> RowRuns(std::string_view prefix, std::string_view body, Pen& pen) {
    std::vector<TextRun> runs;
    for (const std::string_view part : {prefix, body}) {
        std::string_view rest = part;
        for (std::size_t dollar = rest.find('$'); dollar != std::string_view::npos;
             dollar = rest.find('$')) {
            AddRun(rest.substr(0, dollar), pen, runs);
            const ColourCode code = ReadColourCode(rest.substr(dollar));
            Apply(code, pen);
            rest.remove_prefix(dollar + code.length);
        }
        AddRun(rest, pen, runs);
    }
    return runs;
}

}  // namespace

std::vector<std::vector<TextRun>> LineRuns(const std::string& line, int width,
                                           const TextWidth& measure) {
    const std::string_view text = line;
    const std::size_t prefixLength =
        !text.empty() && text.front() == '$' ? ReadColourCode(text).length : 0;
    const std::string_view prefix = text.substr(0, prefixLength);
    std::vector<std::vector<TextRun>> rows;
    Pen pen;
    for (const RowSpan& span : WrapLine(text, prefixLength, width, measure)) {
        const std::size_t begin = std::max(span.begin, prefixLength);
        rows.push_back(
            RowRuns(prefix, text.substr(begin, span.end - std::min(begin, span.end)), pen));
    }
    return rows;
}

PaneLayout LayOutPane(const LogPaneModel& model, const PaneGeometry& geometry,
                      const TextWidth& measure) {
    PaneLayout layout;
    const int lineHeight = std::max(1, geometry.lineHeight);
    if (model.ViewLine() < 0) {
        layout.clearBottom = geometry.height;
        return layout;
    }
    int y = geometry.height;
    for (int i = model.ViewLine(); i >= 0; --i) {
        auto rows = LineRuns(model.Line(i), geometry.width, measure);
        y -= static_cast<int>(rows.size()) * lineHeight;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const int top = y + static_cast<int>(r) * lineHeight;
            if (top + lineHeight > 0 && top < geometry.height) {
                layout.rows.push_back({top, std::move(rows[r])});
            }
        }
        if (y < 0) {
            return layout;
        }
    }
    layout.clearBottom = y;
    return layout;
}

}  // namespace zep
