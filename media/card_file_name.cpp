#include "media/card_file_name.h"

#include "core/crc16.h"
#include "platform/cp1251.h"

namespace zep {

namespace {

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x06 ? 2
                                   : (lead >> 4) == 0x0E ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || lead == 0xC0 || lead == 0xC1 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace

SelectionKey CardFileKey(std::string_view name) {
    return static_cast<SelectionKey>(Crc16(name.data(), name.size())) << 16;
}

bool MatchesSelection(std::span<const SelectionKey> keys, std::uint32_t value, std::uint32_t mask) {
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        if ((*key & mask) == (value & mask)) {
            return true;
        }
    }
    return false;
}

std::string CardFileNameForLog(std::string_view name) {
    return IsUtf8(name) ? std::string(name) : Cp1251ToUtf8(name);
}

}  // namespace zep
