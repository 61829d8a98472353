#pragma once
// Log lines carry colour codes: every "$" starts one ("$04" red text, "$4,8" red on yellow).
// These routines read the codes the way the log panes draw them, for front ends that show the
// text elsewhere (the console of the headless mode).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zep {

struct ColourCode {
    std::size_t length = 1;         // characters of the code, "$" included
    std::optional<int> text;        // nullopt: a lone "$" changes nothing
    std::optional<int> background;  // only codes with two numbers set it
};

// Reads the code at the start of rest, which begins with "$".
ColourCode ReadColourCode(std::string_view rest);

struct LogSegment {
    std::string text;
    int textColour = 1;             // colour table index; 1 (black) starts every line
    std::optional<int> background;  // nullopt: the pane's background
};

// The line cut at its codes; empty segments are dropped.
std::vector<LogSegment> SplitLogLine(std::string_view line);

std::string StripColourCodes(std::string_view line);

}  // namespace zep
