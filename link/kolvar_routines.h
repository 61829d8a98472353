#pragma once
// Line routines of the Kolvar device protocol. They rely on the port's read time-outs (every
// byte waits up to the total) and do not repeat anything. Results: 1 = success, 0 = failure.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

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

// Writes the text; 1 only when the port took all of it.
int KolvarSend(const KolvarLine& line, std::string_view text);

// Stores bytes until the stored text ends with the prompt, then NUL-terminates: 1. A byte that
// breaks a partial match is not tested again as the prompt's first byte. 0 on a failed read or
// when a byte arrives while only one place is left (at most buffer.size() - 1 are stored).
int KolvarReadUntil(const KolvarLine& line, std::span<char> buffer, std::string_view prompt);

// Sends the command and reads the reply up to the prompt "KLV10>".
int KolvarCommand(const KolvarLine& line, std::string_view command, std::span<char> reply);

// The decimal number after the key: 1. 0 when the key is absent (out unchanged).
int KolvarParseLong(std::string_view reply, std::string_view key, long& out);

// Reads one chunk. 1 when the header CRC and the data CRC both match; 0 on a failed read, a
// CRC mismatch, or a data length above kMaxData (which is not read any further).
int KolvarReadFrame(const KolvarLine& line, KolvarFrame& frame);

}  // namespace zep
