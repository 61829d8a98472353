#pragma once
// "zepimport --inspect FILE...": says for each file what the conversion would make of it,
// where reading stops and why.
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace zep {

// Prints a report per file (names in UTF-8, as the command line gives them). 0 when every file is a
// known kind and reads to its end without damage, 1 otherwise.
int RunInspect(const std::vector<std::string>& files, std::ostream& out);

// One kind of file the inspection knows. Recognizes() sees the name and the whole content;
// Inspect() prints the report lines (indented) and returns true when the file read cleanly.
struct FileInspector {
    const char* kind;
    bool (*recognizes)(const std::filesystem::path& file, std::span<const std::uint8_t> content);
    bool (*inspect)(const std::filesystem::path& file, std::span<const std::uint8_t> content,
                    std::ostream& out);
};

// The kinds known, tried in this order.
std::span<const FileInspector> FileInspectors();

}  // namespace zep
