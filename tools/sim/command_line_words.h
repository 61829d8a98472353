#pragma once
// Splitting a device command line into words and numbers.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zep::sim {

std::vector<std::string> SplitWords(std::string_view line);
// The decimal number of word `index`, nullopt when it is missing or not a whole number.
std::optional<long> WordNumber(const std::vector<std::string>& words, std::size_t index);
// Whether the line's words begin with the given words.
bool StartsWithWords(const std::vector<std::string>& words,
                     std::initializer_list<std::string_view> expected);

}  // namespace zep::sim
