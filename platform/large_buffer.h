#pragma once
// Room for a whole file of hundreds of megabytes that is about to be read into it: not
// zero-filled first, and backed by huge pages where the system offers them, which spares most
// of the page faults of filling it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zep {

class LargeBuffer {
public:
    LargeBuffer() = default;
    // nullopt when the memory cannot be had.
    static std::optional<LargeBuffer> Allocate(std::size_t size);

    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    ~LargeBuffer();

    std::uint8_t* data() { return m_data; }
    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::span<const std::uint8_t> bytes() const { return {m_data, m_size}; }

private:
    LargeBuffer(std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    void Free();

    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
};

}  // namespace zep
