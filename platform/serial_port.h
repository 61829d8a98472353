#pragma once
// The serial port component, called on a COM port number (1 = COM1). Calls are synchronous;
// results follow the conventions the exchanges rely on: 0 = done for the set-up operations,
// a byte 0..255 or a negative value from PortReadByte, a count from PortRead and PortWrite.
#include <cstdint>
#include <span>

#include "platform/system_result.h"

namespace zep {

// The codes of PortSetLineParams that the system uses: 9600 bit/s, 8 data bits, no parity,
// 1 stop bit.
inline constexpr int kRateCode9600 = 12;
inline constexpr int kMode8N1 = 3;

class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual int PortOpen(int port) = 0;
    virtual void PortClose(int port) = 0;
    // Rate code 12 = 9600 bit/s; mode code 3 = 8 data bits, no parity, 1 stop bit.
    virtual int PortSetLineParams(int port, int rateCode, int modeCode) = 0;
    virtual int PortSetFlowControl(int port, int mode) = 0;
    // Current speed in bit/s (negative on error).
    virtual int PortGetSpeed(int port) = 0;
    virtual int PortSetSpeed(int port, int speed) = 0;
    virtual int PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) = 0;
    // (0xFFFFFFFF, 1): PortReadByte never waits; (T, I): it waits up to T ms for a byte.
    virtual int PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) = 0;
    virtual int PortReadByte(int port) = 0;
    // Reads up to buffer.size() bytes within the time-outs; returns the count read.
    virtual int PortRead(int port, std::span<std::uint8_t> buffer) = 0;
    virtual int PortWriteByte(int port, std::uint8_t byte) = 0;
    // Returns the count written, negative on error.
    virtual int PortWrite(int port, std::span<const std::uint8_t> bytes) = 0;
    // which = 2: discard pending input and output.
    virtual int PortFlush(int port, int which) = 0;
    // Bytes still waiting to be sent.
    virtual int PortOutputPending(int port) = 0;
    // Bit 0 = clear-to-send; 0 where the device has no modem lines.
    virtual int PortLineStatus(int port) = 0;
    // True when the device behind the open port has gone: its device file has vanished or the
    // line reports a hang-up or an error, so it will never deliver again. False for a port that
    // is not open, and from a component that cannot tell.
    virtual bool PortGone(int /*port*/) { return false; }

    // PortOpen and the set-up calls of a line, giving the system's reason when they fail, for
    // the lines that report such a failure. A component that cannot tell gives the plain call's
    // outcome without a reason.
    virtual SystemDone PortOpenWithReason(int port);
    virtual SystemDone PortSetLineParamsWithReason(int port, int rateCode, int modeCode);
    virtual SystemDone PortSetFlowControlWithReason(int port, int mode);
    virtual SystemDone PortSetReadTimeoutsWithReason(int port, std::uint32_t total,
                                                     std::uint32_t interval);
};

constexpr std::uint32_t kNeverWait = 0xFFFFFFFFu;

}  // namespace zep
