#pragma once
// Single bytes of an existing file changed in place, as the flags inside a card database are:
// nothing else of the file is touched, and the change is flushed to the medium before success is
// reported, so that a card pulled right afterwards keeps it.
#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/system_result.h"

namespace zep {

struct BytePatch {
    std::uint64_t offset = 0;
    std::uint8_t value = 0;
};

// Done when every byte was written and flushed. Fails, with the system's reason, when the file
// cannot be opened for writing (a write-protected or pulled card, a folder of that name), when
// a byte cannot be written, or when the flush fails; bytes before the failure may have been
// written then.
SystemDone PatchFileBytes(const std::filesystem::path& file, std::span<const BytePatch> patches);

}  // namespace zep
