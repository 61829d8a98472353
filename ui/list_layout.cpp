// Reading and writing the sortable list's layout record, never past the bytes at hand.
#include "ui/list_layout.h"

#include <fstream>
#include <iterator>

namespace zep {

namespace {

// A layout of a few columns takes some dozens of bytes; a larger file is not one of ours.
constexpr std::uintmax_t kMaxLayoutFileBytes = 64 * 1024;

void Put(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

std::int32_t Get(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) {
        bits = (bits << 8) | bytes[offset + static_cast<std::size_t>(i)];
    }
    return static_cast<std::int32_t>(bits);
}

}  // namespace

std::vector<std::uint8_t> EncodeListLayout(const ListLayout& layout) {
    std::vector<std::uint8_t> out;
    Put(out, layout.sortColumn);
    Put(out, layout.ascending);
    if (layout.itemCount) {
        Put(out, *layout.itemCount);
        for (const std::int32_t width : layout.widths) {
            Put(out, width);
        }
    }
    return out;
}

std::optional<ListLayout> DecodeListLayout(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || (bytes.size() > 8 && bytes.size() < 12)) {
        return std::nullopt;
    }
    ListLayout layout;
    layout.sortColumn = Get(bytes, 0);
    layout.ascending = Get(bytes, 4);
    if (bytes.size() == 8) {
        return layout;
    }
    layout.itemCount = Get(bytes, 8);
    const std::size_t present = (bytes.size() - 12) / 4;
    const std::size_t wanted =
        *layout.itemCount > 0 ? static_cast<std::size_t>(*layout.itemCount) : 0;
    for (std::size_t i = 0; i < wanted && i < present; ++i) {
        layout.widths.push_back(Get(bytes, 12 + 4 * i));
    }
    return layout;
}

std::optional<ListLayout> LoadListLayoutFile(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size == 0 || size > kMaxLayoutFileBytes) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    return DecodeListLayout(bytes);
}

bool SaveListLayoutFile(const std::filesystem::path& file, const ListLayout& layout) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const std::vector<std::uint8_t> bytes = EncodeListLayout(layout);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace zep
