#pragma once
// The output text of one conversion: a stream over one fixed buffer of 10,485,760 bytes that
// keeps the first bytes written and drops the rest. Drivers append to it through the record
// block; the device section is written to it first.
#include <cstddef>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "sdk/vl_driver.h"

namespace zep {

class BoundedOutput {
public:
    explicit BoundedOutput(std::size_t capacity = kVLOutputLimit);
    BoundedOutput(const BoundedOutput&) = delete;
    BoundedOutput& operator=(const BoundedOutput&) = delete;

    std::ostream& Stream() { return m_stream; }
    // Back to an empty text with the stream's format as at the start (fixed, precision 6).
    void Reset();
    // Everything kept so far.
    std::string_view Text() const;
    // True when text was dropped because the buffer was full.
    bool ReachedLimit() const { return m_buffer.Overflowed(); }
    // Adds text that a copy of this output received elsewhere (in the driver host), and that
    // copy's limit state.
    void Append(std::string_view text, bool reachedLimit);

private:
    class Buffer : public std::streambuf {
    public:
        explicit Buffer(std::size_t capacity);
        ~Buffer() override;
        Buffer(const Buffer&) = delete;
        Buffer& operator=(const Buffer&) = delete;
        void Rewind();
        std::string_view Text() const;
        bool Overflowed() const { return m_overflowed; }
        void MarkOverflowed() { m_overflowed = true; }

    protected:
        int_type overflow(int_type ch) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;

    private:
        std::unique_ptr<char[]> m_storage;
        std::size_t m_capacity;
        bool m_overflowed = false;
    };

    Buffer m_buffer;
    std::ostream m_stream;
};

}  // namespace zep
