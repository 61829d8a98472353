#pragma once
// What a log pane paints, worked out without a toolkit: the rows from the bottom edge upwards,
// newest line first, each row cut into runs of one colour. The front end draws each row's runs
// from the left edge, each advancing by its measured width, and fills the rest of the row and
// the area above the oldest line with the pane's background.
#include <optional>
#include <string>
#include <vector>

#include "ui/log_colours.h"
#include "ui/log_pane_model.h"
#include "ui/log_wrap.h"

namespace zep {

struct TextRun {
    std::string text;               // without colour codes, never empty
    Rgb colour;                     // text colour
    std::optional<Rgb> background;  // set by a code; nullopt = the pane's background
};

struct PaneRow {
    int top = 0;  // y of the row's top edge; rows are one line height tall
    std::vector<TextRun> runs;
};

struct PaneLayout {
    std::vector<PaneRow> rows;  // only those that reach into 0 .. height
    // The oldest line ends here: the area from 0 to clearBottom takes the background.
    // 0 when the pane is full; height when there is no line to show.
    int clearBottom = 0;
};

struct PaneGeometry {
    int width = 0;  // of the text area
    int height = 0;
    int lineHeight = 1;
};

// Lays out the model's lines from its view line upwards, stopping once the top is passed.
PaneLayout LayOutPane(const LogPaneModel& model, const PaneGeometry& geometry,
                      const TextWidth& measure);

// The runs of one line's rows, the colours carrying over from row to row; a line that starts
// with a colour code repeats that code at the start of each of its rows.
std::vector<std::vector<TextRun>> LineRuns(const std::string& line, int width,
                                           const TextWidth& measure);

}  // namespace zep
