// Reading and writing the sortable list's layout record, never past the bytes at hand.
#include "ui/list_layout.h"

#include "platform/config_file.h"

namespace zep {

namespace {

// A layout of a few columns takes some dozens of bytes; a larger file is not one of ours.
constexpr std::size_t kMaxLayoutFileBytes = 64 * 1024;

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

// The layout file is read and written as the settings file is: a FIFO or device in its place
// neither blocks the window nor is replaced.
std::optional<ListLayout> LoadListLayoutFile(const std::filesystem::path& file) {
    const ConfigFileText read = ReadConfigFile(file);
    if (read.state != ConfigFileState::Read || read.text.size() > kMaxLayoutFileBytes) {
        return std::nullopt;
    }
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(read.text.data()), read.text.size());
    return DecodeListLayout(bytes);
}

bool SaveListLayoutFile(const std::filesystem::path& file, const ListLayout& layout) {
    const std::vector<std::uint8_t> bytes = EncodeListLayout(layout);
    return WriteConfigFile(
        file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace zep
