#pragma once
// Line routines of the Tessal collector protocol. The port never waits here: a read that finds
// nothing pauses 1 ms, and a thousand misses in a row (about a second of silence) end an
// attempt; commands are tried three times. A port that has gone (pulled, or stopped for the
// program's exit: link/stoppable_line.h) fails a routine at its first miss, since nothing more
// will come. Results: LineResult (link/line_result.h), Ok or Failed.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/worker_report.h"
#include "link/line_result.h"
#include "platform/serial_port.h"

namespace zep {

// What outlives one exchange: the closing step at program end restores this line.
struct TessalState {
    int port = 0;        // 0: no Tessal exchange since start-up
    int savedSpeed = 0;  // the speed found when the exchange began
};
TessalState& TessalProcessState();

// One exchange's line to the collector and its working buffers.
class TessalLine {
public:
    static constexpr std::size_t kReplySize = 32768;
    static constexpr std::size_t kCommandSize = 256;

    TessalLine(SerialPort& serial, int port, Clock& clock, WorkerReport& report);

    SerialPort& serial;
    const int port;
    Clock& clock;
    WorkerReport& report;

    // Formats the command buffer (printf style); texts longer than the buffer are cut.
    void FormatCommand(const char* format, long long first, long long second = 0);
    std::string_view Command() const;

    // The gathered reply text, up to its first NUL.
    std::string_view ReplyText() const;
    void ClearReply();
    // Appends a byte to the reply text; a NUL byte leaves the text as it is.
    void AppendReply(std::uint8_t byte);

    // After a successful TessalReadVolume: the volume's data (the frame's L - 2 bytes behind
    // the length and CRC); empty otherwise.
    std::span<std::uint8_t> VolumeData();

private:
    friend LineResult TessalReadVolume(TessalLine& line, std::string_view command, int first,
                                       int last);

    std::vector<std::uint8_t> m_reply;  // kReplySize bytes, NUL-terminated text or a frame
    std::size_t m_textLength = 0;
    std::size_t m_volumeLength = 0;  // data bytes of the last good frame
    std::array<char, kCommandSize> m_command{};
};

// Writes the text (none: the command buffer) without terminator. Ok when the port took it
// (the count written is not looked at), Failed when the port failed.
LineResult TessalSend(TessalLine& line, std::optional<std::string_view> text);

// Clears the reply first when it has grown to 32767 characters. One read: a byte is appended
// (Ok); a miss pauses pauseMs (Failed).
LineResult TessalReadByte(TessalLine& line, int pauseMs);

// Up to three attempts of: send the command (if given), clear the reply, read until the reply
// holds the prompt character and the expected text but not the reject text (an empty reject
// text rejects nothing). Ok on a complete reply, Failed after three incomplete ones.
LineResult TessalCommand(TessalLine& line, std::optional<std::string_view> command,
                         std::string_view expect, std::string_view reject, char prompt);

// The decimal number after the key: Ok. Failed (out = 0) when the key is absent.
LineResult TessalParseInt(std::string_view reply, std::string_view key, int& out);
LineResult TessalParseReal(std::string_view reply, std::string_view key, float& out);

// Sends the download command and reads the volume frame behind "Tess": L (2 bytes, most
// significant first), the CRC (2 bytes), L - 2 data bytes. Posts progress from first to last
// percent. Up to three attempts; Ok when a frame passed its CRC, else Failed.
LineResult TessalReadVolume(TessalLine& line, std::string_view command, int first, int last);

}  // namespace zep
