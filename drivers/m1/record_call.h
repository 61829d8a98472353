#pragma once
// The entry 6 call of the sample drivers: the checks on the record block every one of them makes
// before it renders a record.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

#include "sdk/vl_driver.h"

namespace sample {

// Renders the block's record with render(out, kind, data), which returns the record's code, and
// stores that code as the block's result. 0 for a block that cannot be used.
template <typename Render>
int ConvertBlock(VLRecordBlock* block, int size, Render render) {
    if (block == nullptr || size < static_cast<int>(sizeof(VLRecordBlock)) ||
        block->out == nullptr || block->data == nullptr || block->length <= 0) {
        return 0;
    }
    block->result = render(*block->out, block->kind,
                           std::span(block->data, static_cast<std::size_t>(block->length)));
    return kVLCallDone;
}

}  // namespace sample
