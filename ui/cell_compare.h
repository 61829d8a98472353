#pragma once
// The comparison of two list cells: by number, by date (DD/MM/YYYY) or by text, chosen from
// the first cell alone.
#include <string_view>

namespace zep {

enum class CellOrder { Number, Date, Text };

// The kind of comparison the cell `s` asks for: Number when every character is a digit (an
// empty cell too), Date for DD/MM/YYYY, else Text.
CellOrder CellOrderOf(std::string_view s);

// -1, 0 or 1 as s sorts before, with or after t, compared in the way s asks for. The other
// cell may be of any shape: parts it lacks count as empty.
int CompareCells(std::string_view s, std::string_view t);
// The same with the kind of comparison given.
int CompareCellsAs(CellOrder order, std::string_view s, std::string_view t);

// Text order: letters alphabetically with case a secondary difference (lower before upper),
// Cyrillic included (Ё after Е), everything else by character code.
int CompareText(std::string_view s, std::string_view t);

}  // namespace zep
