#include "convert/assembled_archive.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/crc16.h"

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

std::span<const std::uint8_t> TitleArea(std::span<const std::uint8_t> image) {
    if (image.size() < 2) {
        return {};
    }
    const std::size_t length = ReadBe16(image.data());
    return image.subspan(2, std::min(length, image.size() - 2));
}

std::optional<std::string> NthString(std::span<const std::uint8_t> area, int n) {
    if (n < 0) {
        return std::nullopt;
    }
    std::size_t start = 0;
    for (int index = 0; start <= area.size(); ++index) {
        const void* nul = area.size() > start
                              ? std::memchr(area.data() + start, 0, area.size() - start)
                              : nullptr;
        if (nul == nullptr) {
            return std::nullopt;
        }
        const std::size_t end = static_cast<const std::uint8_t*>(nul) - area.data();
        if (index == n) {
            return std::string(reinterpret_cast<const char*>(area.data() + start), end - start);
        }
        start = end + 1;
    }
    return std::nullopt;
}

long NthNumber(const std::optional<std::string>& text, int n) {
    if (!text) {
        return -1;
    }
    const char* p = text->c_str();
    for (int index = 0; *p != '\0'; ++index) {
        char* end = nullptr;
        const long value = std::strtol(p, &end, 10);
        p = end;
        if (*p != '\0') {
            ++p;
        }
        if (index == n) {
            return value;
        }
    }
    return -1;
}

}  // namespace zep
