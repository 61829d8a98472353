// Splits the command lines a simulated device receives into words and numbers.
#include "tools/sim/command_line_words.h"

#include <charconv>

namespace zep::sim {

std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t position = 0;
    while (position < line.size()) {
        const auto start = line.find_first_not_of(" \t", position);
        if (start == std::string_view::npos) {
            break;
        }
        const auto end = line.find_first_of(" \t", start);
        words.emplace_back(line.substr(start, end - start));
        position = end == std::string_view::npos ? line.size() : end;
    }
    return words;
}

std::optional<long> WordNumber(const std::vector<std::string>& words, std::size_t index) {
    if (index >= words.size()) {
        return std::nullopt;
    }
    const std::string& word = words[index];
    long value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) {
        return std::nullopt;
    }
    return value;
}

bool StartsWithWords(const std::vector<std::string>& words,
                     std::initializer_list<std::string_view> expected) {
    if (words.size() < expected.size()) {
        return false;
    }
    std::size_t index = 0;
    for (const auto word : expected) {
        if (words[index++] != word) {
            return false;
        }
    }
    return true;
}

}  // namespace zep::sim
