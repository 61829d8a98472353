#pragma once
// Line routines of the Kolvar device protocol. They rely on the port's read time-outs (every
// byte waits up to the total) and do not repeat anything. Results: LineResult
// (link/line_result.h), Ok or Failed.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "link/line_result.h"
#include "platform/serial_port.h"

namespace zep {

// What outlives one exchange: the port of the most recent Kolvar exchange.
struct KolvarState {
    int port = 0;
};
KolvarState& KolvarProcessState();

struct KolvarLine {
    SerialPort& serial;
    int port;
};

inline constexpr std::string_view kKolvarPrompt = "KLV10>";

// One chunk of a record download. Header numbers are 16-bit, most significant byte first:
// signature A5 5A AA 55, record number, end offset, data length n, status, 4 unused bytes,
// header CRC; then n data bytes and their CRC chained from the header CRC.
struct KolvarFrame {
    static constexpr std::size_t kHeaderSize = 18;
    static constexpr std::size_t kMaxData = 8192;

    std::array<std::uint8_t, kHeaderSize + kMaxData + 2> bytes{};
    // Filled from the header once its CRC has matched.
    std::uint16_t record = 0;
    std::uint16_t endOffset = 0;
    std::uint16_t length = 0;
    std::uint16_t status = 0;
    std::uint16_t headerCrc = 0;

    std::span<const std::uint8_t> Data() const {
        return std::span(bytes).subspan(kHeaderSize, length);
    }
};

// Writes the text; Ok only when the port took all of it.
LineResult KolvarSend(const KolvarLine& line, std::string_view text);

// Stores bytes until the stored text ends with the prompt, then NUL-terminates: Ok. A byte that
// breaks a partial match is not tested again as the prompt's first byte. Failed on a failed read
// or when a byte arrives while only one place is left (at most buffer.size() - 1 are stored).
LineResult KolvarReadUntil(const KolvarLine& line, std::span<char> buffer, std::string_view prompt);

// Sends the command and reads the reply up to the prompt "KLV10>": Ok when both succeeded.
LineResult KolvarCommand(const KolvarLine& line, std::string_view command, std::span<char> reply);

// The decimal number after the key: Ok. Failed when the key is absent (out unchanged).
LineResult KolvarParseLong(std::string_view reply, std::string_view key, long& out);

// Reads one chunk. Ok when the header CRC and the data CRC both match; Failed on a failed read,
// a CRC mismatch, a data length above kMaxData (which is not read any further), or more stray
// bytes before the signature than a whole frame holds.
LineResult KolvarReadFrame(const KolvarLine& line, KolvarFrame& frame);

}  // namespace zep
