// Writes and reads the session recording format: the fixed header, and records framed as kind,
// time step and payload length, each length checked before the payload is touched.
#include "link/session_record.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/byte_order.h"

namespace zep {

namespace {

constexpr std::uint8_t kDeleteFlag = 0x01;
// No session lasts a year; a larger step is damage, and the sum of steps can never overflow.
constexpr std::uint64_t kLongestStepMs = 366ull * 24 * 3600 * 1000;
constexpr std::uint8_t kLowerPane = 1;  // panes are 0 (upper) and 1 (lower)

void AppendLe(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void AppendVarint(std::vector<std::uint8_t>& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

// Zigzag: small negative numbers stay short.
void AppendSigned(std::vector<std::uint8_t>& out, std::int64_t value) {
    AppendVarint(
        out, (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63));
}

std::vector<std::uint8_t> EncodePayload(const Record& record) {
    std::vector<std::uint8_t> payload;
    switch (record.kind) {
        case RecordKind::DeviceBytes:
        case RecordKind::HostBytes:
            return record.bytes;
        case RecordKind::ReadMisses:
            AppendVarint(payload, static_cast<std::uint64_t>(record.number));
            break;
        case RecordKind::Call:
            payload.push_back(static_cast<std::uint8_t>(record.op));
            for (const auto value : record.values) {
                AppendSigned(payload, value);
            }
            break;
        case RecordKind::ClockRead:
        case RecordKind::Tick:
            AppendSigned(payload, record.number);
            break;
        case RecordKind::LogLine:
            payload.push_back(static_cast<std::uint8_t>(record.number));
            payload.insert(payload.end(), record.bytes.begin(), record.bytes.end());
            break;
        case RecordKind::RawFile:
        case RecordKind::PassedOver:
            AppendVarint(payload, static_cast<std::uint64_t>(record.number));
            AppendLe(payload, record.check, 2);
            payload.insert(payload.end(), record.bytes.begin(), record.bytes.end());
            break;
        case RecordKind::End:
        case RecordKind::Stop:
            break;
    }
    return payload;
}

// Reads forward through a span; every read says whether the bytes were there.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Offset() const { return m_at; }
    std::size_t Left() const { return m_bytes.size() - m_at; }
    bool AtEnd() const { return m_at == m_bytes.size(); }

    std::optional<std::uint8_t> Byte() {
        if (AtEnd()) {
            return std::nullopt;
        }
        return m_bytes[m_at++];
    }
    std::optional<std::span<const std::uint8_t>> Take(std::size_t count) {
        if (count > Left()) {
            return std::nullopt;
        }
        const auto piece = m_bytes.subspan(m_at, count);
        m_at += count;
        return piece;
    }
    // At most ten bytes, and no bit beyond the 64th.
    std::optional<std::uint64_t> Varint() {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const auto byte = Byte();
            if (!byte) {
                return std::nullopt;
            }
            const std::uint64_t bits = *byte & 0x7Fu;
            if (shift == 63 && bits > 1) {
                return std::nullopt;
            }
            value |= bits << shift;
            if ((*byte & 0x80) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }
    std::optional<std::int64_t> Signed() {
        const auto raw = Varint();
        if (!raw) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>((*raw >> 1) ^ (~(*raw & 1) + 1));
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

std::optional<RecordingHeader> DecodeHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kRecordingHeaderSize || !LooksLikeRecording(bytes) ||
        ReadLe16(bytes.data() + 6) != kRecordingVersion) {
        return std::nullopt;
    }
    const std::uint8_t device = bytes[8];
    if (device < static_cast<std::uint8_t>(RecordedDevice::Zep) ||
        device > static_cast<std::uint8_t>(RecordedDevice::Kolvar)) {
        return std::nullopt;
    }
    RecordingHeader header;
    header.device = static_cast<RecordedDevice>(device);
    header.deleteData = (bytes[9] & kDeleteFlag) != 0;
    header.port = ReadLe16(bytes.data() + 10);
    header.hoursWest = static_cast<std::int16_t>(ReadLe16(bytes.data() + 12));
    header.startUtc = static_cast<std::int64_t>(ReadLe32(bytes.data() + 16)) |
                      static_cast<std::int64_t>(std::uint64_t{ReadLe32(bytes.data() + 20)} << 32);
    return header;
}

// Reads a payload into the record; nullopt on success, else what is wrong with it.
std::optional<std::string> DecodePayload(std::span<const std::uint8_t> payload, Record& record) {
    Cursor in(payload);
    switch (record.kind) {
        case RecordKind::DeviceBytes:
        case RecordKind::HostBytes:
            if (payload.empty()) {
                return "a byte record without bytes";
            }
            record.bytes.assign(payload.begin(), payload.end());
            return std::nullopt;
        case RecordKind::ReadMisses: {
            const auto count = in.Varint();
            if (!count || *count == 0 || *count > std::numeric_limits<std::int32_t>::max()) {
                return "a count of missed reads that is no count";
            }
            record.number = static_cast<std::int64_t>(*count);
            break;
        }
        case RecordKind::Call: {
            const auto op = in.Byte();
            const auto shape = op ? ShapeOf(static_cast<PortOp>(*op)) : std::nullopt;
            if (!shape) {
                return "a port call of no known operation";
            }
            record.op = static_cast<PortOp>(*op);
            for (int i = 0; i < shape->arguments + shape->results; ++i) {
                const auto value = in.Signed();
                if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
                    *value > std::numeric_limits<std::uint32_t>::max()) {
                    return std::string("a port call ") + shape->name + " with values missing";
                }
                record.values.push_back(*value);
            }
            break;
        }
        case RecordKind::ClockRead:
        case RecordKind::Tick: {
            const auto reading = in.Signed();
            if (!reading) {
                return "a clock reading that is no number";
            }
            record.number = *reading;
            break;
        }
        case RecordKind::LogLine: {
            const auto pane = in.Byte();
            if (!pane || *pane > kLowerPane) {
                return "a log line of no pane";
            }
            record.number = *pane;
            const auto text = in.Take(in.Left());
            record.bytes.assign(text->begin(), text->end());
            break;
        }
        case RecordKind::RawFile:
        case RecordKind::PassedOver: {
            // A raw file has a name; a unit passed over has none.
            const bool named = record.kind == RecordKind::RawFile;
            const auto size = in.Varint();
            const auto check = in.Take(2);
            if (!size || *size > std::numeric_limits<std::int64_t>::max() || !check ||
                (in.Left() == 0) == named) {
                return named ? "a raw file without its size, check word or name"
                             : "a unit passed over without its size or check word";
            }
            record.number = static_cast<std::int64_t>(*size);
            record.check = ReadLe16(check->data());
            const auto name = in.Take(in.Left());
            record.bytes.assign(name->begin(), name->end());
            break;
        }
        case RecordKind::End:
        case RecordKind::Stop:
            break;
    }
    if (!in.AtEnd()) {
        return "a record longer than its content";
    }
    return std::nullopt;
}

std::string HeaderProblem(std::span<const std::uint8_t> bytes) {
    if (!LooksLikeRecording(bytes)) {
        return "not a session recording";
    }
    if (bytes.size() < kRecordingHeaderSize) {
        return "a header cut short";
    }
    if (const auto version = ReadLe16(bytes.data() + 6); version != kRecordingVersion) {
        return "format version " + std::to_string(version) + ", this program reads version " +
               std::to_string(kRecordingVersion);
    }
    return "a header naming no known device";
}

bool KnownKind(std::uint8_t kind) {
    return kind >= static_cast<std::uint8_t>(RecordKind::DeviceBytes) &&
           kind <= static_cast<std::uint8_t>(RecordKind::PassedOver);
}

}  // namespace

std::optional<PortOpShape> ShapeOf(PortOp op) {
    switch (op) {
        case PortOp::Open:
            return PortOpShape{0, 1, "Open"};
        case PortOp::Close:
            return PortOpShape{0, 0, "Close"};
        case PortOp::SetLineParams:
            return PortOpShape{2, 1, "SetLineParams"};
        case PortOp::SetFlowControl:
            return PortOpShape{1, 1, "SetFlowControl"};
        case PortOp::GetSpeed:
            return PortOpShape{0, 1, "GetSpeed"};
        case PortOp::SetSpeed:
            return PortOpShape{1, 1, "SetSpeed"};
        case PortOp::GetReadTimeouts:
            return PortOpShape{0, 3, "GetReadTimeouts"};
        case PortOp::SetReadTimeouts:
            return PortOpShape{2, 1, "SetReadTimeouts"};
        case PortOp::Flush:
            return PortOpShape{1, 1, "Flush"};
        case PortOp::OutputPending:
            return PortOpShape{0, 1, "OutputPending"};
        case PortOp::LineStatus:
            return PortOpShape{0, 1, "LineStatus"};
        case PortOp::Gone:
            return PortOpShape{0, 1, "Gone"};
        case PortOp::WriteResult:
            return PortOpShape{0, 1, "WriteResult"};
    }
    return std::nullopt;
}

std::vector<std::uint8_t> EncodeRecordingHeader(const RecordingHeader& header) {
    std::vector<std::uint8_t> bytes(std::begin(kRecordingMagic), std::end(kRecordingMagic));
    AppendLe(bytes, kRecordingVersion, 2);
    bytes.push_back(static_cast<std::uint8_t>(header.device));
    bytes.push_back(header.deleteData ? kDeleteFlag : 0);
    AppendLe(bytes, static_cast<std::uint16_t>(header.port), 2);
    AppendLe(bytes, static_cast<std::uint16_t>(header.hoursWest), 2);
    AppendLe(bytes, 0, 2);
    AppendLe(bytes, static_cast<std::uint64_t>(header.startUtc), 8);
    return bytes;
}

void RecordWriter::Add(const Record& record) {
    const std::vector<std::uint8_t> payload = EncodePayload(record);
    m_bytes.push_back(static_cast<std::uint8_t>(record.kind));
    // Times only go forward; a clock that stepped back counts as no time passing.
    const std::int64_t step = std::max<std::int64_t>(0, record.timeMs - m_lastMs);
    m_lastMs += step;
    AppendVarint(m_bytes, static_cast<std::uint64_t>(step));
    AppendVarint(m_bytes, payload.size());
    m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
}

std::vector<std::uint8_t> RecordWriter::TakeBytes() {
    std::vector<std::uint8_t> taken;
    taken.swap(m_bytes);
    return taken;
}

bool LooksLikeRecording(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= sizeof kRecordingMagic &&
           std::memcmp(bytes.data(), kRecordingMagic, sizeof kRecordingMagic) == 0;
}

ParsedRecording ParseRecording(std::span<const std::uint8_t> bytes) {
    ParsedRecording parsed;
    parsed.header = DecodeHeader(bytes);
    if (!parsed.header) {
        parsed.damage = {0, HeaderProblem(bytes)};
        return parsed;
    }
    Cursor in(bytes);
    in.Take(kRecordingHeaderSize);
    std::int64_t timeMs = 0;
    while (true) {
        Record record;
        record.offset = in.Offset();
        if (in.AtEnd()) {
            parsed.damage = {record.offset, "cut short: no end record"};
            return parsed;
        }
        const std::uint8_t kind = *in.Byte();
        const auto step = in.Varint();
        const auto length = in.Varint();
        if (!KnownKind(kind)) {
            parsed.damage = {record.offset, "a record of unknown kind " + std::to_string(kind)};
            return parsed;
        }
        if (!step || *step > kLongestStepMs || !length) {
            parsed.damage = {record.offset, "a record header cut short or out of range"};
            return parsed;
        }
        const auto payload = in.Take(static_cast<std::size_t>(
            std::min<std::uint64_t>(*length, std::numeric_limits<std::size_t>::max())));
        if (!payload) {
            parsed.damage = {record.offset, "a record longer than the rest of the file"};
            return parsed;
        }
        timeMs += static_cast<std::int64_t>(*step);
        record.kind = static_cast<RecordKind>(kind);
        record.timeMs = timeMs;
        if (const auto wrong = DecodePayload(*payload, record)) {
            parsed.damage = {record.offset, *wrong};
            return parsed;
        }
        parsed.records.push_back(std::move(record));
        if (parsed.records.back().kind == RecordKind::End) {
            if (!in.AtEnd()) {
                parsed.damage = {in.Offset(), "bytes after the end record"};
            }
            return parsed;
        }
    }
}

}  // namespace zep
