// The ZEP adapter's line routines: reply lines, the file header and the CRC-checked data block.
#include "link/zep_routines.h"

#include <array>
#include <string_view>

#include "core/crc16.h"
#include "core/number_text.h"

namespace zep {

namespace {

// The stored text up to its terminator.
std::string_view LineText(std::span<const char> buffer) {
    const std::string_view all(buffer.data(), buffer.size());
    return all.substr(0, all.find('\0'));
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

LineResult ZepReadLine(SerialPort& serial, int port, std::span<char> buffer) {
    if (buffer.empty()) {
        return LineResult::Failed;
    }
    std::size_t stored = 0;
    while (true) {
        const int byte = serial.PortReadByte(port);
        if (byte < 0 || stored + 1 >= buffer.size()) {
            buffer[stored] = '\0';
            return LineResult::Failed;
        }
        buffer[stored++] = static_cast<char>(byte);
        if (byte == '\n') {
            buffer[stored] = '\0';
            return LineResult::Ok;
        }
    }
}

LineResult ZepWaitOkError(SerialPort& serial, int port) {
    std::array<char, 32> line{};
    if (ZepReadLine(serial, port, line) != LineResult::Ok) {
        return LineResult::Failed;
    }
    const std::string_view text = LineText(line);
    if (Contains(text, "OK\r\n")) {
        return LineResult::Ok;
    }
    return Contains(text, "ERROR\r\n") ? LineResult::DeviceError : LineResult::Failed;
}

LineResult ZepReadFileHeader(SerialPort& serial, int port, std::string& name, std::int64_t& size) {
    std::array<char, 64> line{};
    if (ZepReadLine(serial, port, line) != LineResult::Ok) {
        return LineResult::Failed;
    }
    const std::string_view text = LineText(line);
    const std::size_t key = text.find("FILE=");
    if (key == std::string_view::npos) {
        return LineResult::Failed;
    }
    const std::string_view rest = text.substr(key + 5);
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
        return LineResult::Failed;
    }
    name.assign(rest.substr(0, comma));
    size = ParseDecimal(rest.substr(comma + 1));
    return LineResult::Ok;
}

LineResult ZepReadBlock(SerialPort& serial, int port, std::span<std::uint8_t> buffer,
                        WorkerReport& report) {
    const std::size_t length = buffer.size();
    int lastPosted = -1;
    for (std::size_t i = 0; i < length; ++i) {
        const int byte = serial.PortReadByte(port);
        if (byte < 0) {
            return LineResult::Failed;
        }
        buffer[i] = static_cast<std::uint8_t>(byte);
        const int percent = static_cast<int>((i + 1) * 100 / length);
        if (percent != lastPosted) {
            report.SetBar1(percent, std::nullopt);
            lastPosted = percent;
        }
    }
    std::array<std::uint8_t, 2> crc{};
    if (serial.PortRead(port, crc) != 2) {
        return LineResult::Failed;
    }
    return ReadLe16(crc.data()) == Crc16(buffer) ? LineResult::Ok : LineResult::Failed;
}

}  // namespace zep
