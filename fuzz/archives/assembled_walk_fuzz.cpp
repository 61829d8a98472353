// Feeds arbitrary bytes to the walk of assembled archives and to the title-area helpers, as the
// conversion uses them on a ".bin" file held in memory.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "convert/assembled_archive.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    std::size_t previousEnd = 0;
    const auto result = zep::WalkAssembledArchive(image, [&](const zep::AssembledRecord& record) {
        // Every record lies inside the image, behind the previous one.
        Require(record.data.data() >= data && record.endOffset <= size);
        Require(record.data.data() + record.data.size() == data + record.endOffset);
        Require(record.endOffset > previousEnd);
        previousEnd = record.endOffset;
        return true;
    });
    if (result == zep::WalkResult::Ok && previousEnd != 0) {
        Require(previousEnd == size);
    }

    const auto area = zep::TitleArea(image);
    Require(area.size() <= size);
    for (int n = 0; n < 8; ++n) {
        const auto text = zep::NthString(area, n);
        Require(!text || text->size() < area.size());
        for (int k = 0; k < 4; ++k) {
            zep::NthNumber(text, k);
        }
    }
    return 0;
}
