// Room for a whole large file as anonymous mapped memory, with huge pages asked for.
#include <sys/mman.h>

#include "platform/large_buffer.h"

namespace zep {

std::optional<LargeBuffer> LargeBuffer::Allocate(std::size_t size) {
    if (size == 0) {
        return LargeBuffer();
    }
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return std::nullopt;
    }
    // Only a hint: without huge pages the buffer works the same, with more page faults.
    madvise(memory, size, MADV_HUGEPAGE);
    return LargeBuffer(static_cast<std::uint8_t*>(memory), size);
}

void LargeBuffer::Free() {
    if (m_data != nullptr) {
        munmap(m_data, m_size);
        m_data = nullptr;
        m_size = 0;
    }
}

}  // namespace zep
