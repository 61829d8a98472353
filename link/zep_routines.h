#pragma once
// Line routines of the ZEP adapter protocol. They rely on the port's read time-outs: every byte
// waits up to the total time-out, and one silent gap ends a line or block with failure.
// Results: LineResult (link/line_result.h); ZepWaitOkError alone answers DeviceError too.
#include <cstdint>
#include <span>
#include <string>

#include "core/worker_report.h"
#include "link/line_result.h"
#include "platform/serial_port.h"

namespace zep {

// Stores bytes up to and including a line feed, then NUL-terminates: Ok. Failed, with what it
// stored NUL-terminated, when a read fails or a byte arrives while only one place is left (that
// byte is consumed, not stored). So at most buffer.size() - 1 bytes are stored.
LineResult ZepReadLine(SerialPort& serial, int port, std::span<char> buffer);

// A line holding "OK\r\n" gives Ok, otherwise one holding "ERROR\r\n" gives DeviceError;
// anything else, or no line, gives Failed.
LineResult ZepWaitOkError(SerialPort& serial, int port);

// Reads a header line "FILE=" name "," size. The name is the text up to the first comma; the
// size is the decimal number behind it (leading blanks and a sign allowed), saturated to the
// 64-bit range: Ok. Failed (name, size untouched) on a failed read, no "FILE=" or no comma.
LineResult ZepReadFileHeader(SerialPort& serial, int port, std::string& name, std::int64_t& size);

// Reads buffer.size() data bytes, posting each new percentage on progress bar 1, then the
// two-byte CRC-16 of the data, least significant byte first. Ok when all arrived and the CRC
// matches, else Failed.
LineResult ZepReadBlock(SerialPort& serial, int port, std::span<std::uint8_t> buffer,
                        WorkerReport& report);

}  // namespace zep
