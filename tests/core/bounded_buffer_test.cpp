// Sizes from devices and files: refused before allocating when out of bounds or unallocatable.
#include "core/bounded_buffer.h"

#include <gtest/gtest.h>

#include <limits>

namespace zep {
namespace {

TEST(BoundedBuffer, OnlySizesWithinTheBoundAreAllocated) {
    [[maybe_unused]] constexpr auto kHuge = std::numeric_limits<std::int64_t>::max();
    const struct {
        std::int64_t size;
        std::int64_t limit;
        bool done;
    } cases[] = {
        {0, 10, true},
        {10, 10, true},
        {11, 10, false},
        {-1, 10, false},
#if !defined(__SANITIZE_ADDRESS__)
        // Beyond any memory: refused, not thrown. AddressSanitizer ends the process on
        // such a request instead of letting the allocation fail, so it is left out there.
        {kHuge, kHuge, false}
#endif
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> buffer(3, 7);
        EXPECT_EQ(ResizeWithin(buffer, c.size, c.limit), c.done) << c.size;
        EXPECT_EQ(buffer.size(), c.done ? static_cast<std::size_t>(c.size) : 3u) << c.size;
    }
}

}  // namespace
}  // namespace zep
