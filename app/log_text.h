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

// Reads the code at the start of `code`, which must begin with "$". The numbers are as written
// (they may lie outside the colour table); the one or two characters of a number are whole
// characters of the UTF-8 text, so a code never splits a letter and never reaches past the text.
ColourCode ReadColourCode(std::string_view code);

struct LogSegment {
    std::string text;
    int textColour = 1;             // colour table index; 1 (black) starts every line
    std::optional<int> background;  // nullopt: the pane's background
};

// The line cut at its codes; empty segments are dropped.
std::vector<LogSegment> SplitLogLine(std::string_view line);

std::string StripColourCodes(std::string_view line);

}  // namespace zep
