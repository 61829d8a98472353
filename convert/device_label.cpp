// The label a kept raw file is renamed with, made so that it ends in no raw-file extension and
// stays inside its folder.
#include "convert/device_label.h"

namespace zep {

std::string MakeDeviceLabel(const std::string& type, const std::string& serial,
                            const std::string& virtualDevices) {
    std::string label = type + "_" + serial + "_" + virtualDevices;
    for (char& c : label) {
        if (c == '.') {
            c = ' ';
        } else if (c == '/') {
            c = '-';
        }
    }
    return label;
}

}  // namespace zep
