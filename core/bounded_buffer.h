#pragma once
// Buffers whose size comes from a device or a file: the size is checked against a bound the
// caller knows to be sane before anything is allocated, and an allocation that fails all the
// same is a refusal, not an exception.
#include <cstdint>
#include <vector>

namespace zep {

// Resizes the buffer to size bytes. False (buffer unchanged) when size is negative, above
// limit, or cannot be allocated.
bool ResizeWithin(std::vector<std::uint8_t>& buffer, std::int64_t size, std::int64_t limit);

}  // namespace zep
