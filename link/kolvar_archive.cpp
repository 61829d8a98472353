// Turns one Kolvar record into an assembled archive (".bin"), so that the conversion takes it
// like the archives of the other devices.
#include "link/kolvar_archive.h"

#include <algorithm>
#include <string_view>

namespace zep {

namespace {

constexpr std::size_t kTitleSize = 255;
// "ЖУВ.Р-1" in Windows-1251, as the dispatch system names the device type.
constexpr std::string_view kDeviceType = "\xC6\xD3\xC2.\xD0-1";
constexpr std::string_view kVirtualDevices = "0";

// The NUL-terminated text at offset, never reaching past the record, cut to the title limit.
std::span<const std::uint8_t> TextAt(std::span<const std::uint8_t> record, std::size_t offset) {
    const auto rest = record.subspan(std::min(offset, record.size()));
    const auto end = std::find(rest.begin(), rest.end(), 0);
    const auto length = std::min<std::size_t>(end - rest.begin(), kKolvarMaxTitleText);
    return rest.first(length);
}

void AppendBlock(std::vector<std::uint8_t>& out, std::uint8_t kind,
                 std::span<const std::uint8_t> data) {
    out.push_back('T');
    out.push_back(kind);
    out.push_back(static_cast<std::uint8_t>(data.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

std::vector<std::uint8_t> BuildKolvarArchive(std::span<const std::uint8_t> record) {
    std::vector<std::uint8_t> out;
    if (record.size() < kKolvarMinRecordSize || record.size() > kKolvarMaxRecordSize) {
        return out;
    }
    out.reserve(record.size() + 220);
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(kTitleSize));
    std::vector<std::uint8_t> title;
    const auto appendString = [&title](auto text) {
        title.insert(title.end(), text.begin(), text.end());
        title.push_back(0);
    };
    appendString(TextAt(record, 30));
    appendString(kDeviceType);
    appendString(kVirtualDevices);
    appendString(TextAt(record, 0));
    appendString(TextAt(record, 15));
    title.resize(kTitleSize, 0);  // 3 * 80 + 7 + 1 + 5 terminators leave room to spare
    out.insert(out.end(), title.begin(), title.end());
    AppendBlock(out, 0, record.subspan(49, 96));
    AppendBlock(out, 1, record.subspan(145, 32));
    AppendBlock(out, 2, record.subspan(177));
    return out;
}

}  // namespace zep
