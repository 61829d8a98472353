#pragma once
// The layout record of a sortable list (sort column, direction, column widths) and its file:
// 32-bit little-endian signed fields, sort column, ascending, n, then n widths.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace zep {

struct ListLayout {
    std::int32_t sortColumn = 0;
    std::int32_t ascending = 1;
    std::optional<std::int32_t> itemCount;  // absent when the record ends after the direction
    std::vector<std::int32_t> widths;       // the widths the record holds, at most itemCount
    bool operator==(const ListLayout&) const = default;
};

std::vector<std::uint8_t> EncodeListLayout(const ListLayout& layout);
// nullopt when the bytes are no record: fewer than 8, or a count cut off (9 to 11 bytes).
// The widths are taken as far as the record holds them.
std::optional<ListLayout> DecodeListLayout(std::span<const std::uint8_t> bytes);

// nullopt when the file is missing, empty, longer than any real layout or no record.
std::optional<ListLayout> LoadListLayoutFile(const std::filesystem::path& file);
// False when the file cannot be written; the layout is then lost, silently for the user.
bool SaveListLayoutFile(const std::filesystem::path& file, const ListLayout& layout);

}  // namespace zep
