// The Kolvar device's line routines: commands up to the prompt, keyed numbers and chunk frames.
#include "link/kolvar_routines.h"

#include <algorithm>
#include <tuple>

#include "core/crc16.h"
#include "core/number_text.h"

namespace zep {

namespace {

constexpr std::uint8_t kSignature[] = {0xA5, 0x5A, 0xAA, 0x55};
// Bytes before a signature: the device sends nothing but frames after "DOWNLOAD", so more noise
// than a whole frame holds is a device that will not send one (a flood would keep the search
// going for ever).
constexpr std::size_t kMaxStrayBytes = std::tuple_size_v<decltype(KolvarFrame::bytes)>;

}  // namespace

KolvarState& KolvarProcessState() {
    static KolvarState state;
    return state;
}

LineResult KolvarSend(const KolvarLine& line, std::string_view text) {
    const int written = line.serial.PortWrite(
        line.port, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    return written == static_cast<int>(text.size()) ? LineResult::Ok : LineResult::Failed;
}

LineResult KolvarReadUntil(const KolvarLine& line, std::span<char> buffer,
                           std::string_view prompt) {
    if (buffer.empty() || prompt.empty()) {
        return LineResult::Failed;
    }
    std::size_t stored = 0;
    std::size_t matched = 0;
    while (true) {
        const int byte = line.serial.PortReadByte(line.port);
        if (byte < 0 || stored + 1 >= buffer.size()) {
            buffer[stored] = '\0';  // terminated anyway, though the reply is not used
            return LineResult::Failed;
        }
        buffer[stored++] = static_cast<char>(byte);
        matched = static_cast<char>(byte) == prompt[matched] ? matched + 1 : 0;
        if (matched == prompt.size()) {
            buffer[stored] = '\0';
            return LineResult::Ok;
        }
    }
}

LineResult KolvarCommand(const KolvarLine& line, std::string_view command, std::span<char> reply) {
    if (KolvarSend(line, command) != LineResult::Ok) {
        return LineResult::Failed;
    }
    return KolvarReadUntil(line, reply, kKolvarPrompt);
}

LineResult KolvarParseLong(std::string_view reply, std::string_view key, long& out) {
    const std::size_t found = reply.find(key);
    if (found == std::string_view::npos) {
        return LineResult::Failed;
    }
    out = ParseDecimalAs<long>(reply.substr(found + key.size()));
    return LineResult::Ok;
}

LineResult KolvarReadFrame(const KolvarLine& line, KolvarFrame& frame) {
    auto& bytes = frame.bytes;
    std::size_t position = 0;
    std::size_t frameEnd = bytes.size();  // known once the header has been read
    std::size_t searched = 0;
    while (true) {
        const int value = line.serial.PortReadByte(line.port);
        if (value < 0) {
            return LineResult::Failed;
        }
        const auto byte = static_cast<std::uint8_t>(value);
        if (position < sizeof(kSignature)) {
            if (++searched > kMaxStrayBytes + sizeof(kSignature)) {
                return LineResult::Failed;
            }
            // A byte that breaks the signature is not taken as a new first byte.
            position = byte == kSignature[position] ? position + 1 : 0;
            if (position > 0) {
                bytes[position - 1] = byte;
            }
            continue;
        }
        bytes[position++] = byte;
        if (position == KolvarFrame::kHeaderSize) {
            frame.headerCrc = ReadBe16(&bytes[16]);
            if (Crc16(bytes.data(), 16) != frame.headerCrc) {
                return LineResult::Failed;
            }
            frame.record = ReadBe16(&bytes[4]);
            frame.endOffset = ReadBe16(&bytes[6]);
            frame.length = ReadBe16(&bytes[8]);
            frame.status = ReadBe16(&bytes[10]);
            if (frame.length > KolvarFrame::kMaxData) {
                return LineResult::Failed;
            }
            frameEnd = KolvarFrame::kHeaderSize + frame.length + 2;
        } else if (position == frameEnd) {
            const std::uint16_t dataCrc = ReadBe16(&bytes[frameEnd - 2]);
            return Crc16(frame.Data(), frame.headerCrc) == dataCrc ? LineResult::Ok
                                                                   : LineResult::Failed;
        }
    }
}

}  // namespace zep
