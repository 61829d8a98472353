#pragma once
// The port as an exchange sees it. Once the program asks to end (core/stop_request.h), reads
// find nothing and the line counts as gone: every line routine fails at its next byte, as on a
// line gone silent, so no exchange waits longer than the byte in hand (the port's read time-out,
// 2 s at most) whatever the device sends. Writes and the line settings pass through, so the
// closing steps (the exit command, speed and time-outs restored) still run.
//
// A grace keeps reads going for a while after the line first saw the request: the answer to the
// deletion of a file already saved is worth that moment, since without it the file would be
// imported again from the device.
#include <cstdint>
#include <span>

#include "core/clock.h"
#include "core/stop_request.h"
#include "platform/serial_port.h"

namespace zep {

// How long the answer to a deletion is still waited for after a stop request.
inline constexpr int kDeletionGraceMs = 2000;

// Said once when an exchange ended early for the request, instead of the failures it caused.
inline constexpr const char* kSessionCutLine =
    "$04Сеанс связи прерван: программа завершает работу.";

class StoppableLine final : public SerialPort {
public:
    StoppableLine(SerialPort& inner, const StopRequest& stop, Clock& clock, int graceMs = 0);

    // True once the request has come (and the grace has passed): the exchange starts nothing
    // new. Every true answer, and every read refused, is remembered as the exchange cut short.
    bool Stopped();
    bool CutShort() const { return m_cutShort; }

    int PortOpen(int port) override { return m_inner.PortOpen(port); }
    void PortClose(int port) override { m_inner.PortClose(port); }
    int PortSetLineParams(int port, int rateCode, int modeCode) override {
        return m_inner.PortSetLineParams(port, rateCode, modeCode);
    }
    int PortSetFlowControl(int port, int mode) override {
        return m_inner.PortSetFlowControl(port, mode);
    }
    int PortGetSpeed(int port) override { return m_inner.PortGetSpeed(port); }
    int PortSetSpeed(int port, int speed) override { return m_inner.PortSetSpeed(port, speed); }
    int PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) override {
        return m_inner.PortGetReadTimeouts(port, total, interval);
    }
    int PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) override {
        return m_inner.PortSetReadTimeouts(port, total, interval);
    }
    int PortReadByte(int port) override;
    int PortRead(int port, std::span<std::uint8_t> buffer) override;
    int PortWriteByte(int port, std::uint8_t byte) override {
        return m_inner.PortWriteByte(port, byte);
    }
    int PortWrite(int port, std::span<const std::uint8_t> bytes) override {
        return m_inner.PortWrite(port, bytes);
    }
    int PortFlush(int port, int which) override { return m_inner.PortFlush(port, which); }
    int PortOutputPending(int port) override { return m_inner.PortOutputPending(port); }
    int PortLineStatus(int port) override { return m_inner.PortLineStatus(port); }
    // A stopped line never delivers again, as a pulled one.
    bool PortGone(int port) override;

private:
    SerialPort& m_inner;
    const StopRequest& m_stop;
    Clock& m_clock;
    const int m_graceMs;
    std::int64_t m_seenMs = -1;  // when the request was first seen here
    bool m_cutShort = false;
};

}  // namespace zep
