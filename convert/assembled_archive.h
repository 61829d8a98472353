#pragma once
// Assembled archives (".bin"): a big-endian title-area length H, H bytes of NUL-terminated
// title strings, then records 'T', kind, n (big-endian), n data bytes, up to the end of file.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/title_area.h"

namespace zep {

struct AssembledRecord {
    std::uint8_t kind = 0;
    std::span<const std::uint8_t> data;
    std::size_t endOffset = 0;  // offset just behind the record in the file image
};

enum class WalkResult { Ok, StructureError, FormatError };

// Calls the consumer for each record in order. The consumer returns false to stop the walk
// early; the walk then reports Ok. Nothing outside the image is ever read.
WalkResult WalkAssembledArchive(std::span<const std::uint8_t> image,
                                const std::function<bool(const AssembledRecord&)>& consumer);

// Offset of the first record (2 + H), or nullopt when the image is shorter than its title area.
std::optional<std::size_t> FirstRecordOffset(std::span<const std::uint8_t> image);

// Log texts for the two walk errors.
constexpr const char* kStructureErrorLine = "$04CNV: Нарушение структуры данных записи";
constexpr const char* kFormatErrorLine = "$04CNV: Неверный формат данных записи";

}  // namespace zep
