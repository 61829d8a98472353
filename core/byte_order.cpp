// Byte reversal of stored fields; the source is copied first so that it may overlap the
// destination.
#include "core/byte_order.h"

#include <cstring>
#include <vector>

namespace zep {

void ReverseBytes(void* destination, const void* source, std::size_t count) {
    std::vector<std::uint8_t> copy(count);
    if (count > 0) {
        std::memcpy(copy.data(), source, count);
    }
    auto* out = static_cast<std::uint8_t*>(destination);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = copy[count - 1 - i];
    }
}

std::uint16_t Swap16(std::uint16_t value) {
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

}  // namespace zep
