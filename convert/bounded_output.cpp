// The conversion's output text in one fixed 10 MiB buffer that keeps the first bytes and drops
// the rest; a thread keeps its last buffer for its next conversion.
#include "convert/bounded_output.h"

#include <algorithm>
#include <cstring>

namespace zep {

namespace {

// One conversion after another on the same thread would otherwise map and unmap (or grow and
// trim the heap by) 10 MiB for every raw file; the last buffer of the thread is kept for the
// next conversion instead.
struct SpareStorage {
    std::unique_ptr<char[]> storage;
    std::size_t capacity = 0;
};
thread_local SpareStorage t_spare;

std::unique_ptr<char[]> TakeStorage(std::size_t capacity) {
    if (t_spare.storage && t_spare.capacity == capacity) {
        t_spare.capacity = 0;
        return std::move(t_spare.storage);
    }
    // Not zero-filled: the pages are only touched as text arrives.
    return std::make_unique_for_overwrite<char[]>(capacity);
}

}  // namespace

BoundedOutput::Buffer::Buffer(std::size_t capacity)
    : m_storage(TakeStorage(capacity)), m_capacity(capacity) {
    Rewind();
}

BoundedOutput::Buffer::~Buffer() {
    if (!t_spare.storage) {
        t_spare.storage = std::move(m_storage);
        t_spare.capacity = m_capacity;
    }
}

void BoundedOutput::Buffer::Rewind() {
    setp(m_storage.get(), m_storage.get() + m_capacity);
    m_overflowed = false;
}

std::string_view BoundedOutput::Buffer::Text() const {
    return std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase()));
}

BoundedOutput::Buffer::int_type BoundedOutput::Buffer::overflow(int_type ch) {
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        m_overflowed = true;
    }
    return traits_type::eof();
}

std::streamsize BoundedOutput::Buffer::xsputn(const char* text, std::streamsize count) {
    if (count <= 0) {
        return 0;
    }
    const std::size_t room = static_cast<std::size_t>(epptr() - pptr());
    const std::size_t taken = std::min(room, static_cast<std::size_t>(count));
    std::memcpy(pptr(), text, taken);
    pbump(static_cast<int>(taken));
    if (taken < static_cast<std::size_t>(count)) {
        m_overflowed = true;
    }
    return static_cast<std::streamsize>(taken);
}

BoundedOutput::BoundedOutput(std::size_t capacity) : m_buffer(capacity), m_stream(&m_buffer) {
    Reset();
}

void BoundedOutput::Reset() {
    m_buffer.Rewind();
    m_stream.clear();
    m_stream.flags(std::ios_base::dec | std::ios_base::skipws | std::ios_base::fixed);
    m_stream.precision(6);
    m_stream.width(0);
    m_stream.fill(' ');
}

std::string_view BoundedOutput::Text() const {
    return m_buffer.Text();
}

void BoundedOutput::Append(std::string_view text, bool reachedLimit) {
    m_stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (reachedLimit) {
        m_buffer.MarkOverflowed();
        m_stream.setstate(std::ios_base::badbit);
    }
}

}  // namespace zep
