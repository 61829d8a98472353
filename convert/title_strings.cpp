// The title strings of an assembled archive that name its device, and the label made of them.
#include "convert/title_strings.h"

#include "convert/assembled_archive.h"
#include "convert/device_label.h"

namespace zep {

std::optional<TitleStrings> ReadTitleStrings(std::span<const std::uint8_t> image,
                                             TitleStrings* partial) {
    const auto area = TitleArea(image);
    TitleStrings title;
    title.type = NthString(area, 1).value_or("");
    title.virtualDevices = NthString(area, 2).value_or("");
    title.vname = NthString(area, 3).value_or("");
    title.serial = NthString(area, 4).value_or("");
    if (partial != nullptr) {
        *partial = title;
    }
    if (!FirstRecordOffset(image) || !NthString(area, 4)) {
        return std::nullopt;
    }
    return title;
}

std::string AssembledDeviceLabel(const TitleStrings& title) {
    return MakeDeviceLabel(title.type, title.serial, title.virtualDevices);
}

}  // namespace zep
