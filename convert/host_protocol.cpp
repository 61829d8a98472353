// Frames of the exchange with the driver host: written field by field, cut from the byte
// stream with their length checked first, and read back with every field checked.
#include "convert/host_protocol.h"

#include <algorithm>
#include <cstring>

namespace zep {

namespace {

constexpr std::size_t kKeptCapacity = 1024 * 1024;

// Appends the fields of one frame; the length is filled in when the frame is taken.
class FrameWriter {
public:
    explicit FrameWriter(HostMessage type) : m_bytes(kHostFrameHeader, 0) {
        m_bytes[0] = static_cast<std::uint8_t>(type);
    }
    FrameWriter& U8(std::uint8_t value) {
        m_bytes.push_back(value);
        return *this;
    }
    FrameWriter& U32(std::uint32_t value) { return Little(value, 4); }
    FrameWriter& U64(std::uint64_t value) { return Little(value, 8); }
    FrameWriter& Text(std::string_view text) {
        U32(static_cast<std::uint32_t>(text.size()));
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + text.size());
        if (!text.empty()) {
            std::memcpy(m_bytes.data() + at, text.data(), text.size());
        }
        return *this;
    }
    std::vector<std::uint8_t> Take() {
        const auto length = static_cast<std::uint32_t>(m_bytes.size() - kHostFrameHeader);
        for (int i = 0; i < 4; ++i) {
            m_bytes[1 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        }
        return std::move(m_bytes);
    }

private:
    FrameWriter& Little(std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
        return *this;
    }
    std::vector<std::uint8_t> m_bytes;
};

// Reads the fields of one frame in order. A read past the end fails, and every read after it.
class FieldReader {
public:
    explicit FieldReader(std::span<const std::uint8_t> fields) : m_fields(fields) {}

    bool U8(std::uint8_t& value) {
        std::uint64_t wide = 0;
        const bool ok = Little(wide, 1);
        value = static_cast<std::uint8_t>(wide);
        return ok;
    }
    bool Flag(bool& value) {
        std::uint8_t byte = 0;
        if (!U8(byte) || byte > 1) {
            return Fail();
        }
        value = byte == 1;
        return true;
    }
    bool U32(std::uint32_t& value) {
        std::uint64_t wide = 0;
        const bool ok = Little(wide, 4);
        value = static_cast<std::uint32_t>(wide);
        return ok;
    }
    bool U64(std::uint64_t& value) { return Little(value, 8); }
    bool Text(std::string_view& text) {
        std::uint32_t length = 0;
        if (!U32(length) || length > m_fields.size() - m_at) {
            return Fail();
        }
        text = std::string_view(reinterpret_cast<const char*>(m_fields.data() + m_at), length);
        m_at += length;
        return true;
    }
    bool Text(std::string& text) {
        std::string_view view;
        if (!Text(view)) {
            return false;
        }
        text.assign(view);
        return true;
    }
    // Every field read and nothing left over.
    bool Complete() const { return m_ok && m_at == m_fields.size(); }
    std::size_t Left() const { return m_fields.size() - m_at; }

private:
    bool Little(std::uint64_t& value, std::size_t bytes) {
        if (!m_ok || m_fields.size() - m_at < bytes) {
            return Fail();
        }
        value = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            value |= std::uint64_t{m_fields[m_at + i]} << (8 * i);
        }
        m_at += bytes;
        return true;
    }
    bool Fail() {
        m_ok = false;
        return false;
    }

    std::span<const std::uint8_t> m_fields;
    std::size_t m_at = 0;
    bool m_ok = true;
};

// A count of texts that the fields cannot hold (each takes 4 bytes at least) is refused before
// anything is reserved for them.
bool PlausibleCount(std::uint32_t count, std::size_t bytesLeft, std::size_t bytesEach) {
    return count <= bytesLeft / bytesEach;
}

template <typename T>
std::optional<T> IfComplete(const FieldReader& reader, T value) {
    if (!reader.Complete()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

void HostFrameSplitter::Append(std::span<const std::uint8_t> bytes) {
    const auto room = Space(bytes.size());
    std::copy_n(bytes.begin(), room.size(), room.begin());
    Commit(room.size());
}

std::span<std::uint8_t> HostFrameSplitter::Space(std::size_t size) {
    Commit(0);
    if (m_broken) {
        return {};
    }
    if (m_start == m_end) {
        m_start = m_end = 0;
        // A whole output text passed through: the program keeps no such buffer while idle.
        if (m_capacity > kKeptCapacity && size <= kKeptCapacity) {
            m_buffer.reset();
            m_capacity = 0;
        }
    }
    if (m_end + size > m_capacity && m_start > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_start, m_end - m_start);
        m_end -= m_start;
        m_start = 0;
    }
    if (m_end + size > m_capacity) {
        const std::size_t capacity = std::max(m_end + size, 2 * m_capacity);
        auto grown = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        std::copy_n(m_buffer.get(), m_end, grown.get());
        m_buffer = std::move(grown);
        m_capacity = capacity;
    }
    m_reserved = size;
    return std::span(m_buffer.get() + m_end, size);
}

void HostFrameSplitter::Commit(std::size_t count) {
    m_end += std::min(count, m_reserved);
    m_reserved = 0;
}

std::optional<HostFrame> HostFrameSplitter::Next() {
    Commit(0);
    const std::size_t available = m_end - m_start;
    if (m_broken || available < kHostFrameHeader) {
        return std::nullopt;
    }
    const std::uint32_t length = FrameLength();
    if (length > kMaxHostFrame) {
        m_broken = true;
        return std::nullopt;
    }
    if (available - kHostFrameHeader < length) {
        return std::nullopt;
    }
    const std::uint8_t* header = m_buffer.get() + m_start;
    HostFrame frame{static_cast<HostMessage>(header[0]),
                    std::span<const std::uint8_t>(header + kHostFrameHeader, length)};
    m_start += kHostFrameHeader + length;
    return frame;
}

std::size_t HostFrameSplitter::Missing() const {
    const std::size_t available = m_end - m_start;
    if (m_broken || available < kHostFrameHeader) {
        return kHostFrameHeader - std::min(available, kHostFrameHeader);
    }
    const std::size_t whole = kHostFrameHeader + std::min(FrameLength(), kMaxHostFrame);
    return whole > available ? whole - available : 0;
}

std::uint32_t HostFrameSplitter::FrameLength() const {
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        length |= std::uint32_t{m_buffer[m_start + 1 + i]} << (8 * i);
    }
    return length;
}

std::vector<std::uint8_t> EncodeLoad(const LoadRequest& request) {
    FrameWriter writer(HostMessage::Load);
    writer.U32(static_cast<std::uint32_t>(request.libraries.size()));
    for (const auto& library : request.libraries) {
        writer.Text(library);
    }
    return writer.Take();
}

std::vector<std::uint8_t> EncodeRecords(HostMessage type, const RecordsRequest& request) {
    FrameWriter writer(type);
    writer.Text(request.path)
        .Text(request.type)
        .U32(static_cast<std::uint32_t>(request.virtualDevice))
        .Text(request.prefix);
    return writer.Take();
}

std::vector<std::uint8_t> EncodeEmpty(HostMessage type) {
    return FrameWriter(type).Take();
}

std::vector<std::uint8_t> EncodeHello() {
    return FrameWriter(HostMessage::Hello).U32(kHostProtocolVersion).Take();
}

std::vector<std::uint8_t> EncodeCalling(std::uint32_t library) {
    return FrameWriter(HostMessage::Calling).U32(library).Take();
}

std::vector<std::uint8_t> EncodeLoaded(const std::vector<LoadedDriver>& drivers) {
    FrameWriter writer(HostMessage::Loaded);
    writer.U32(static_cast<std::uint32_t>(drivers.size()));
    for (const auto& driver : drivers) {
        writer.U32(driver.library).Text(driver.name);
    }
    return writer.Take();
}

std::vector<std::uint8_t> EncodeLog(const LogLines& lines) {
    FrameWriter writer(HostMessage::Log);
    for (const auto* line : {&lines.lower, &lines.upper}) {
        writer.U8(line->has_value() ? 1 : 0);
        if (line->has_value()) {
            writer.Text(**line);
        }
    }
    return writer.Take();
}

std::vector<std::uint8_t> EncodeProgress(int percent) {
    return FrameWriter(HostMessage::Progress)
        .U8(static_cast<std::uint8_t>(std::clamp(percent, 0, 100)))
        .Take();
}

std::vector<std::uint8_t> EncodeRendered(const RenderedRecords& rendered) {
    return FrameWriter(HostMessage::Rendered)
        .U8(rendered.done ? 1 : 0)
        .U8(rendered.endedCleanly ? 1 : 0)
        .U64(rendered.stopOffset)
        .U8(rendered.limitReached ? 1 : 0)
        .U8(rendered.opened ? 1 : 0)
        .Text(rendered.type)
        .Text(rendered.serial)
        .Text(rendered.virtualNumber)
        .Text(rendered.text)
        .Take();
}

std::optional<LoadRequest> DecodeLoad(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    LoadRequest request;
    std::uint32_t count = 0;
    if (!reader.U32(count) || !PlausibleCount(count, reader.Left(), 4)) {
        return std::nullopt;
    }
    request.libraries.resize(count);
    for (auto& library : request.libraries) {
        reader.Text(library);
    }
    return IfComplete(reader, std::move(request));
}

std::optional<RecordsRequest> DecodeRecords(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    RecordsRequest request;
    std::uint32_t virtualDevice = 0;
    reader.Text(request.path);
    reader.Text(request.type);
    reader.U32(virtualDevice);
    reader.Text(request.prefix);
    request.virtualDevice = static_cast<std::int32_t>(virtualDevice);
    return IfComplete(reader, std::move(request));
}

std::optional<std::uint32_t> DecodeHello(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    std::uint32_t version = 0;
    reader.U32(version);
    return IfComplete(reader, version);
}

std::optional<std::uint32_t> DecodeCalling(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    std::uint32_t library = 0;
    reader.U32(library);
    return IfComplete(reader, library);
}

std::optional<std::vector<LoadedDriver>> DecodeLoaded(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    std::uint32_t count = 0;
    if (!reader.U32(count) || !PlausibleCount(count, reader.Left(), 8)) {
        return std::nullopt;
    }
    std::vector<LoadedDriver> drivers(count);
    for (auto& driver : drivers) {
        reader.U32(driver.library);
        reader.Text(driver.name);
    }
    return IfComplete(reader, std::move(drivers));
}

std::optional<LogLines> DecodeLog(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    LogLines lines;
    for (auto* line : {&lines.lower, &lines.upper}) {
        bool present = false;
        if (reader.Flag(present) && present) {
            line->emplace();
            reader.Text(**line);
        }
    }
    return IfComplete(reader, std::move(lines));
}

std::optional<int> DecodeProgress(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    std::uint8_t percent = 0;
    if (!reader.U8(percent) || percent > 100) {
        return std::nullopt;
    }
    return IfComplete(reader, static_cast<int>(percent));
}

std::optional<RenderedRecords> DecodeRendered(std::span<const std::uint8_t> fields) {
    FieldReader reader(fields);
    RenderedRecords rendered;
    reader.Flag(rendered.done);
    reader.Flag(rendered.endedCleanly);
    reader.U64(rendered.stopOffset);
    reader.Flag(rendered.limitReached);
    reader.Flag(rendered.opened);
    reader.Text(rendered.type);
    reader.Text(rendered.serial);
    reader.Text(rendered.virtualNumber);
    reader.Text(rendered.text);
    return IfComplete(reader, std::move(rendered));
}

}  // namespace zep
