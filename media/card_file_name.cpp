// Keys of the card files a preview selects, and their names as the log shows them.
#include "media/card_file_name.h"

#include "core/crc16.h"
#include "core/utf8_text.h"
#include "platform/cp1251.h"

namespace zep {

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
