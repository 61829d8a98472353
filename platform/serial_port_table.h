#pragma once
// What every serial port backend shares: the open ports by number, each lent out under a shared
// reference so that a close never pulls a port from under a call in progress; the checks of the
// callers' arguments; the read time-outs as the callers gave them. The backend brings the device
// behind one open port.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>

#include "platform/serial_port.h"

namespace zep {

// One open port of the backend. Results follow SerialPort's conventions, the set-up calls give
// the system's reason when they fail; the arguments have been checked already.
class OpenSerialPort {
public:
    virtual ~OpenSerialPort() = default;

    // 9600 bit/s, dataBits (5 to 8) data bits, no parity, 1 stop bit.
    virtual SystemDone SetLine9600(int dataBits) = 0;
    virtual SystemDone SetNoFlowControl() = 0;
    virtual int GetSpeed() = 0;
    virtual int SetSpeed(int speed) = 0;
    // Gives the device the read time-outs before they are kept; false leaves the old ones.
    virtual SystemDone ApplyReadTimeouts(std::uint32_t total, std::uint32_t interval) = 0;
    virtual int Read(std::span<std::uint8_t> buffer) = 0;
    virtual int Write(std::span<const std::uint8_t> bytes) = 0;
    // which: 0 input, 1 output, 2 both.
    virtual int Flush(int which) = 0;
    virtual int OutputPending() = 0;
    virtual int LineStatus() = 0;
    virtual bool Gone() = 0;

    // The read time-outs in force, as PortSetReadTimeouts last took them.
    void KeepReadTimeouts(std::uint32_t total, std::uint32_t interval) {
        m_total = total;
        m_interval = interval;
    }
    std::uint32_t ReadTotal() const { return m_total; }
    std::uint32_t ReadInterval() const { return m_interval; }

private:
    std::atomic<std::uint32_t> m_total{kNeverWait};
    std::atomic<std::uint32_t> m_interval{1};
};

// Opens COM<port> (port >= 1, not open here yet) for the table, or says why it cannot be had.
using OpenSerialDevice = std::function<SystemResult<std::shared_ptr<OpenSerialPort>>(int port)>;

class SerialPortTable final : public SerialPort {
public:
    explicit SerialPortTable(OpenSerialDevice open) : m_open(std::move(open)) {}

    int PortOpen(int port) override;
    void PortClose(int port) override;
    int PortSetLineParams(int port, int rateCode, int modeCode) override;
    int PortSetFlowControl(int port, int mode) override;
    int PortGetSpeed(int port) override;
    int PortSetSpeed(int port, int speed) override;
    int PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) override;
    int PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) override;
    int PortReadByte(int port) override;
    int PortRead(int port, std::span<std::uint8_t> buffer) override;
    int PortWriteByte(int port, std::uint8_t byte) override;
    int PortWrite(int port, std::span<const std::uint8_t> bytes) override;
    int PortFlush(int port, int which) override;
    int PortOutputPending(int port) override;
    int PortLineStatus(int port) override;
    bool PortGone(int port) override;
    SystemDone PortOpenWithReason(int port) override;
    SystemDone PortSetLineParamsWithReason(int port, int rateCode, int modeCode) override;
    SystemDone PortSetFlowControlWithReason(int port, int mode) override;
    SystemDone PortSetReadTimeoutsWithReason(int port, std::uint32_t total,
                                             std::uint32_t interval) override;

private:
    std::shared_ptr<OpenSerialPort> Find(int port) const;

    OpenSerialDevice m_open;
    mutable std::mutex m_mutex;
    std::map<int, std::shared_ptr<OpenSerialPort>> m_ports;
};

}  // namespace zep
