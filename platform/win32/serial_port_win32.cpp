// The serial port component over the Windows communications functions: COM<n> is "\\.\COMn"
// opened exclusively, its line set through a DCB and its read time-outs through COMMTIMEOUTS.
#include <algorithm>
#include <atomic>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/serial_port_factory.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

// The only rate code the system uses.
constexpr int kRateCode9600 = 12;
// A write may take this long plus the time of its bytes at the slowest speed in use before it
// gives up (a stalled line, a vanished device).
constexpr DWORD kWriteStallMs = 2000;
constexpr DWORD kWriteMsPerByte = 2;

class Win32Port {
public:
    explicit Win32Port(HANDLE handle) : m_handle(handle) {}
    ~Win32Port() { CloseHandle(m_handle); }
    Win32Port(const Win32Port&) = delete;
    Win32Port& operator=(const Win32Port&) = delete;

    HANDLE handle() const { return m_handle; }

    // The pair as the callers gave it, and its meaning in COMMTIMEOUTS: the total is the
    // constant of the read's total time-out, the interval the longest gap between two bytes;
    // a total of 0xFFFFFFFF (or 0) asks for what is already there and never waits.
    bool SetTimeouts(std::uint32_t total, std::uint32_t interval) {
        COMMTIMEOUTS timeouts{};
        if (total == kNeverWait || total == 0) {
            timeouts.ReadIntervalTimeout = MAXDWORD;
        } else {
            timeouts.ReadIntervalTimeout = interval;
            timeouts.ReadTotalTimeoutConstant = total;
        }
        timeouts.WriteTotalTimeoutConstant = kWriteStallMs;
        timeouts.WriteTotalTimeoutMultiplier = kWriteMsPerByte;
        if (!SetCommTimeouts(m_handle, &timeouts)) {
            return false;
        }
        m_total = total;
        m_interval = interval;
        return true;
    }
    void GetTimeouts(std::uint32_t& total, std::uint32_t& interval) const {
        total = m_total;
        interval = m_interval;
    }

private:
    HANDLE m_handle;
    std::atomic<std::uint32_t> m_total{kNeverWait};
    std::atomic<std::uint32_t> m_interval{1};
};

std::wstring DeviceName(int port) {
    return L"\\\\.\\COM" + std::to_wstring(port);
}

class Win32SerialPort final : public SerialPort {
public:
    int PortOpen(int port) override {
        std::lock_guard guard(m_mutex);
        if (port <= 0 || m_ports.count(port) != 0) {
            return -1;
        }
        // No sharing: a port held by another program refuses the open.
        const HANDLE handle = CreateFileW(DeviceName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return -1;
        }
        auto open = std::make_shared<Win32Port>(handle);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        // Only a communications device has a line state; anything else named COM<n> is not one.
        if (!GetCommState(handle, &dcb) || !open->SetTimeouts(kNeverWait, 1)) {
            return -1;
        }
        m_ports.emplace(port, std::move(open));
        return 0;
    }

    void PortClose(int port) override {
        std::shared_ptr<Win32Port> closing;
        {
            std::lock_guard guard(m_mutex);
            auto found = m_ports.find(port);
            if (found == m_ports.end()) {
                return;
            }
            closing = std::move(found->second);
            m_ports.erase(found);
        }
        // The handle closes when the last user lets go of it.
    }

    int PortSetLineParams(int port, int rateCode, int modeCode) override {
        auto open = Find(port);
        // Mode: the low two bits give 5 to 8 data bits; parity and extra stop bits are not
        // used by any device served here.
        if (!open || rateCode != kRateCode9600 || modeCode < 0 || modeCode > 3) {
            return -1;
        }
        return Change(*open, [&](DCB& dcb) {
            dcb.BaudRate = CBR_9600;
            dcb.ByteSize = static_cast<BYTE>(5 + modeCode);
            dcb.Parity = NOPARITY;
            dcb.StopBits = ONESTOPBIT;
            dcb.fBinary = TRUE;
            dcb.fParity = FALSE;
            // A line error must not stall every later read until it is cleared.
            dcb.fAbortOnError = FALSE;
            dcb.fErrorChar = FALSE;
            dcb.fNull = FALSE;
        });
    }

    int PortSetFlowControl(int port, int mode) override {
        auto open = Find(port);
        if (!open || mode != 0) {
            return -1;
        }
        return Change(*open, [](DCB& dcb) {
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fDsrSensitivity = FALSE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            // The lines stay raised: adapters take their power or their "host present" from them.
            dcb.fDtrControl = DTR_CONTROL_ENABLE;
            dcb.fRtsControl = RTS_CONTROL_ENABLE;
        });
    }

    int PortGetSpeed(int port) override {
        auto open = Find(port);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!open || !GetCommState(open->handle(), &dcb) || dcb.BaudRate > INT_MAX) {
            return -1;
        }
        return static_cast<int>(dcb.BaudRate);
    }

    int PortSetSpeed(int port, int speed) override {
        auto open = Find(port);
        if (!open || speed <= 0) {
            return -1;
        }
        return Change(*open, [&](DCB& dcb) { dcb.BaudRate = static_cast<DWORD>(speed); });
    }

    int PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) override {
        auto open = Find(port);
        if (!open) {
            return -1;
        }
        open->GetTimeouts(total, interval);
        return 0;
    }

    int PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) override {
        auto open = Find(port);
        return open && open->SetTimeouts(total, interval) ? 0 : -1;
    }

    int PortReadByte(int port) override {
        std::uint8_t byte = 0;
        return PortRead(port, std::span(&byte, 1)) == 1 ? byte : -1;
    }

    int PortRead(int port, std::span<std::uint8_t> buffer) override {
        auto open = Find(port);
        if (!open) {
            return -1;
        }
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), INT_MAX));
        DWORD read = 0;
        if (!ReadFile(open->handle(), buffer.data(), wanted, &read, nullptr)) {
            return 0;  // the device is gone; the caller sees a short read
        }
        return static_cast<int>(read);
    }

    int PortWriteByte(int port, std::uint8_t byte) override {
        return PortWrite(port, std::span(&byte, 1));
    }

    int PortWrite(int port, std::span<const std::uint8_t> bytes) override {
        auto open = Find(port);
        if (!open) {
            return -1;
        }
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), INT_MAX));
        DWORD written = 0;
        if (!WriteFile(open->handle(), bytes.data(), wanted, &written, nullptr) && written == 0) {
            return -1;
        }
        return static_cast<int>(written);
    }

    int PortFlush(int port, int which) override {
        auto open = Find(port);
        static constexpr DWORD kQueues[] = {
            PURGE_RXABORT | PURGE_RXCLEAR, PURGE_TXABORT | PURGE_TXCLEAR,
            PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR};
        if (!open || which < 0 || which > 2) {
            return -1;
        }
        return PurgeComm(open->handle(), kQueues[which]) ? 0 : -1;
    }

    int PortOutputPending(int port) override {
        auto open = Find(port);
        DWORD errors = 0;
        COMSTAT status{};
        if (!open || !ClearCommError(open->handle(), &errors, &status)) {
            return -1;
        }
        return static_cast<int>(std::min<DWORD>(status.cbOutQue, INT_MAX));
    }

    int PortLineStatus(int port) override {
        auto open = Find(port);
        if (!open) {
            return -1;
        }
        DWORD lines = 0;
        if (!GetCommModemStatus(open->handle(), &lines)) {
            return 0;  // no modem lines (a port carried by something without them)
        }
        return (lines & MS_CTS_ON) != 0 ? 1 : 0;
    }

private:
    std::shared_ptr<Win32Port> Find(int port) const {
        std::lock_guard guard(m_mutex);
        const auto found = m_ports.find(port);
        return found == m_ports.end() ? nullptr : found->second;
    }

    template <typename Edit>
    static int Change(const Win32Port& open, Edit edit) {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(open.handle(), &dcb)) {
            return -1;
        }
        edit(dcb);
        return SetCommState(open.handle(), &dcb) ? 0 : -1;
    }

    mutable std::mutex m_mutex;
    std::map<int, std::shared_ptr<Win32Port>> m_ports;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

}  // namespace zep
