// Room for a whole large file straight from the system's virtual memory, not zero-filled by
// the program first.
#include "platform/large_buffer.h"
#include "platform/win32/windows_api.h"

namespace zep {

std::optional<LargeBuffer> LargeBuffer::Allocate(std::size_t size) {
    if (size == 0) {
        return LargeBuffer();
    }
    void* memory = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (memory == nullptr) {
        return std::nullopt;
    }
    return LargeBuffer(static_cast<std::uint8_t*>(memory), size);
}

void LargeBuffer::Free() {
    if (m_data != nullptr) {
        VirtualFree(m_data, 0, MEM_RELEASE);
        m_data = nullptr;
        m_size = 0;
    }
}

}  // namespace zep
