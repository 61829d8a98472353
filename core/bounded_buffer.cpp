// Allocation of buffers sized by untrusted numbers, refused rather than thrown.
#include "core/bounded_buffer.h"

#include <new>
#include <stdexcept>

namespace zep {

bool ResizeWithin(std::vector<std::uint8_t>& buffer, std::int64_t size, std::int64_t limit) {
    if (size < 0 || size > limit) {
        return false;
    }
    try {
        buffer.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

}  // namespace zep
