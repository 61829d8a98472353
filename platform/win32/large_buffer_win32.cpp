// Room for a whole large file straight from the system's virtual memory, not zero-filled by
// the program first.
#include <utility>

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

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
        Free();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

LargeBuffer::~LargeBuffer() {
    Free();
}

void LargeBuffer::Free() {
    if (m_data != nullptr) {
        VirtualFree(m_data, 0, MEM_RELEASE);
        m_data = nullptr;
        m_size = 0;
    }
}

}  // namespace zep
