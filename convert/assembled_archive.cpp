// Walking an assembled archive (".bin") record by record, never reading outside its image.
#include "convert/assembled_archive.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/crc16.h"

namespace zep {

std::optional<std::size_t> FirstRecordOffset(std::span<const std::uint8_t> image) {
    if (image.size() < 2) {
        return std::nullopt;
    }
    const std::size_t first = std::size_t{2} + ReadBe16(image.data());
    if (first > image.size()) {
        return std::nullopt;
    }
    return first;
}

WalkResult WalkAssembledArchive(std::span<const std::uint8_t> image,
                                const std::function<bool(const AssembledRecord&)>& consumer) {
    const std::size_t fileLength = image.size();
    // A file shorter than its title area has no record area at all: a structure error.
    if (fileLength < 2) {
        return WalkResult::StructureError;
    }
    std::size_t p = std::size_t{2} + ReadBe16(image.data());
    if (p == fileLength) {
        return WalkResult::Ok;
    }
    while (true) {
        if (p > fileLength) {
            return WalkResult::StructureError;
        }
        // p < F here: the end of the file was caught before the loop and at its bottom.
        if (image[p] != 'T') {
            return WalkResult::FormatError;
        }
        if (fileLength - p < 4) {
            return WalkResult::StructureError;
        }
        const std::size_t n = ReadBe16(image.data() + p + 2);
        if (fileLength - p - 4 < n) {
            return WalkResult::StructureError;
        }
        AssembledRecord record{image[p + 1], image.subspan(p + 4, n), p + 4 + n};
        if (!consumer(record)) {
            return WalkResult::Ok;
        }
        p += n + 4;
        if (p == fileLength) {
            return WalkResult::Ok;
        }
    }
}

}  // namespace zep
