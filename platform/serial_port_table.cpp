// The serial port component's part that is the same on every system: which ports are open,
// what the callers may ask of them, and the read time-outs they gave.
#include "platform/serial_port_table.h"

namespace zep {

int SerialPortTable::PortOpen(int port) {
    return PortOpenWithReason(port) ? 0 : -1;
}

SystemDone SerialPortTable::PortOpenWithReason(int port) {
    std::lock_guard guard(m_mutex);
    if (port <= 0 || m_ports.count(port) != 0) {
        return SystemError{};
    }
    auto open = m_open(port);
    if (!open) {
        return open.Error();
    }
    m_ports.emplace(port, std::move(*open));
    return {};
}

void SerialPortTable::PortClose(int port) {
    std::shared_ptr<OpenSerialPort> closing;
    {
        std::lock_guard guard(m_mutex);
        auto found = m_ports.find(port);
        if (found == m_ports.end()) {
            return;
        }
        closing = std::move(found->second);
        m_ports.erase(found);
    }
    // The device closes when the last user lets go of it.
}

int SerialPortTable::PortSetLineParams(int port, int rateCode, int modeCode) {
    return PortSetLineParamsWithReason(port, rateCode, modeCode) ? 0 : -1;
}

SystemDone SerialPortTable::PortSetLineParamsWithReason(int port, int rateCode, int modeCode) {
    auto open = Find(port);
    // Mode: the low two bits give 5 to 8 data bits; parity and extra stop bits are not used by
    // any device served here.
    if (!open || rateCode != kRateCode9600 || modeCode < 0 || modeCode > 3) {
        return SystemError{};
    }
    return open->SetLine9600(5 + modeCode);
}

int SerialPortTable::PortSetFlowControl(int port, int mode) {
    return PortSetFlowControlWithReason(port, mode) ? 0 : -1;
}

SystemDone SerialPortTable::PortSetFlowControlWithReason(int port, int mode) {
    auto open = Find(port);
    if (!open || mode != 0) {
        return SystemError{};
    }
    return open->SetNoFlowControl();
}

int SerialPortTable::PortGetSpeed(int port) {
    auto open = Find(port);
    return open ? open->GetSpeed() : -1;
}

int SerialPortTable::PortSetSpeed(int port, int speed) {
    auto open = Find(port);
    if (!open || speed <= 0) {
        return -1;
    }
    return open->SetSpeed(speed);
}

int SerialPortTable::PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) {
    auto open = Find(port);
    if (!open) {
        return -1;
    }
    total = open->ReadTotal();
    interval = open->ReadInterval();
    return 0;
}

int SerialPortTable::PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) {
    return PortSetReadTimeoutsWithReason(port, total, interval) ? 0 : -1;
}

SystemDone SerialPortTable::PortSetReadTimeoutsWithReason(int port, std::uint32_t total,
                                                          std::uint32_t interval) {
    auto open = Find(port);
    if (!open) {
        return SystemError{};
    }
    auto applied = open->ApplyReadTimeouts(total, interval);
    if (applied) {
        open->KeepReadTimeouts(total, interval);
    }
    return applied;
}

int SerialPortTable::PortReadByte(int port) {
    std::uint8_t byte = 0;
    return PortRead(port, std::span(&byte, 1)) == 1 ? byte : -1;
}

int SerialPortTable::PortRead(int port, std::span<std::uint8_t> buffer) {
    auto open = Find(port);
    return open ? open->Read(buffer) : -1;
}

int SerialPortTable::PortWriteByte(int port, std::uint8_t byte) {
    return PortWrite(port, std::span(&byte, 1));
}

int SerialPortTable::PortWrite(int port, std::span<const std::uint8_t> bytes) {
    auto open = Find(port);
    return open ? open->Write(bytes) : -1;
}

int SerialPortTable::PortFlush(int port, int which) {
    auto open = Find(port);
    if (!open || which < 0 || which > 2) {
        return -1;
    }
    return open->Flush(which);
}

int SerialPortTable::PortOutputPending(int port) {
    auto open = Find(port);
    return open ? open->OutputPending() : -1;
}

int SerialPortTable::PortLineStatus(int port) {
    auto open = Find(port);
    return open ? open->LineStatus() : -1;
}

bool SerialPortTable::PortGone(int port) {
    auto open = Find(port);
    return open && open->Gone();
}

std::shared_ptr<OpenSerialPort> SerialPortTable::Find(int port) const {
    std::lock_guard guard(m_mutex);
    const auto found = m_ports.find(port);
    return found == m_ports.end() ? nullptr : found->second;
}

}  // namespace zep
