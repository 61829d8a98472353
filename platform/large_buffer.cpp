// The large buffer's ownership, handed on by moving and given back at the end; getting and
// returning the memory are the backend's.
#include <utility>

#include "platform/large_buffer.h"

namespace zep {

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

}  // namespace zep
