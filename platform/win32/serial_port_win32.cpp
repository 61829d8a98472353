// The serial port component over the Windows communications functions: COM<n> is "\\.\COMn"
// opened exclusively, its line set through a DCB and its read time-outs through COMMTIMEOUTS.
#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <string>

#include "platform/serial_port_factory.h"
#include "platform/serial_port_table.h"
#include "platform/win32/serial_comm_registry.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

// A write may take this long plus the time of its bytes at the slowest speed in use before it
// gives up (a stalled line, a vanished device).
constexpr DWORD kWriteStallMs = 2000;
constexpr DWORD kWriteMsPerByte = 2;

// The errors with which the calls on an open port fail once its device has gone: a pulled USB
// adapter's driver answers ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED, ERROR_DEVICE_REMOVED,
// ERROR_FILE_NOT_FOUND or ERROR_GEN_FAILURE, and aborts the read under way; Wine answers
// ERROR_NOT_READY on a pseudo-terminal whose other end has closed.
bool VanishedError(DWORD error) {
    switch (error) {
        case ERROR_BAD_COMMAND:
        case ERROR_ACCESS_DENIED:
        case ERROR_OPERATION_ABORTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:
            return true;
        default:
            return false;
    }
}

// Whether the system's serial device map names COM<port>: a driver removes its port's entry
// when the device goes.
bool Listed(int port) {
    for (const auto& device :
         win32::SerialDevicesUnder(HKEY_LOCAL_MACHINE, win32::kSerialCommKey)) {
        if (device.number == port) {
            return true;
        }
    }
    return false;
}

class Win32Port final : public OpenSerialPort {
public:
    Win32Port(HANDLE handle, int port) : m_handle(handle), m_port(port), m_listed(Listed(port)) {}
    ~Win32Port() override { CloseHandle(m_handle); }
    Win32Port(const Win32Port&) = delete;
    Win32Port& operator=(const Win32Port&) = delete;

    SystemDone SetLine9600(int dataBits) override {
        return Change([&](DCB& dcb) {
            dcb.BaudRate = CBR_9600;
            dcb.ByteSize = static_cast<BYTE>(dataBits);
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

    SystemDone SetNoFlowControl() override {
        return Change([](DCB& dcb) {
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

    int GetSpeed() override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb) || dcb.BaudRate > INT_MAX) {
            return -1;
        }
        return static_cast<int>(dcb.BaudRate);
    }

    int SetSpeed(int speed) override {
        return Change([&](DCB& dcb) { dcb.BaudRate = static_cast<DWORD>(speed); }) ? 0 : -1;
    }

    // The pair's meaning in COMMTIMEOUTS: the total is the constant of the read's total
    // time-out, the interval the longest gap between two bytes; a total of 0xFFFFFFFF (or 0)
    // asks for what is already there and never waits.
    SystemDone ApplyReadTimeouts(std::uint32_t total, std::uint32_t interval) override {
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
            return WindowsError(GetLastError());
        }
        return {};
    }

    int Read(std::span<std::uint8_t> buffer) override {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), INT_MAX));
        DWORD read = 0;
        if (!ReadFile(m_handle, buffer.data(), wanted, &read, nullptr)) {
            NoteFailure();
            return 0;  // the device is gone; the caller sees a short read
        }
        return static_cast<int>(read);
    }

    int Write(std::span<const std::uint8_t> bytes) override {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), INT_MAX));
        DWORD written = 0;
        if (!WriteFile(m_handle, bytes.data(), wanted, &written, nullptr) && written == 0) {
            NoteFailure();
            return -1;
        }
        return static_cast<int>(written);
    }

    int Flush(int which) override {
        static constexpr DWORD kQueues[] = {
            PURGE_RXABORT | PURGE_RXCLEAR, PURGE_TXABORT | PURGE_TXCLEAR,
            PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR};
        return PurgeComm(m_handle, kQueues[which]) ? 0 : -1;
    }

    int OutputPending() override {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(m_handle, &errors, &status)) {
            return -1;
        }
        return static_cast<int>(std::min<DWORD>(status.cbOutQue, INT_MAX));
    }

    int LineStatus() override {
        DWORD lines = 0;
        if (!GetCommModemStatus(m_handle, &lines)) {
            return 0;  // no modem lines (a port carried by something without them)
        }
        return (lines & MS_CTS_ON) != 0 ? 1 : 0;
    }

    // Asked of the open handle first; a port the device map named at the open and names no
    // longer has gone too. A port the map never named (a pseudo-terminal linked as a COM port
    // under Wine) is judged by its handle alone.
    bool Gone() override {
        if (m_failed) {
            return true;
        }
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(m_handle, &errors, &status) && VanishedError(GetLastError())) {
            return true;
        }
        // A port without modem lines fails here on a live device too (Wine's pseudo-terminals
        // with ERROR_NOT_SUPPORTED): only the errors of a vanished device count.
        DWORD lines = 0;
        if (!GetCommModemStatus(m_handle, &lines) && VanishedError(GetLastError())) {
            return true;
        }
        return m_listed && !Listed(m_port);
    }

private:
    template <typename Edit>
    SystemDone Change(Edit edit) {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb)) {
            return WindowsError(GetLastError());
        }
        edit(dcb);
        if (!SetCommState(m_handle, &dcb)) {
            return WindowsError(GetLastError());
        }
        return {};
    }

    // A read or write that failed as on a vanished device says so for good. An aborted one does
    // not: a purge aborts the transfer under way on a live device as well.
    void NoteFailure() {
        const DWORD error = GetLastError();
        if (VanishedError(error) && error != ERROR_OPERATION_ABORTED) {
            m_failed = true;
        }
    }

    HANDLE m_handle;
    int m_port;
    bool m_listed;
    std::atomic<bool> m_failed{false};
};

std::wstring DeviceName(int port) {
    return L"\\\\.\\COM" + std::to_wstring(port);
}

// Opens "\\.\COMn" with the read time-outs that never wait.
SystemResult<std::shared_ptr<OpenSerialPort>> OpenPort(int port) {
    // No sharing: a port held by another program refuses the open, and the system says so
    // with ERROR_ACCESS_DENIED, which for a COM port means that it is busy; a COM number
    // without a device is "not found", which for a port means that the device is not there.
    const HANDLE handle = CreateFileW(DeviceName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return WindowsError(error == ERROR_ACCESS_DENIED    ? ERROR_BUSY
                            : error == ERROR_FILE_NOT_FOUND ? ERROR_DEV_NOT_EXIST
                                                            : error);
    }
    auto open = std::make_shared<Win32Port>(handle, port);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    // Only a communications device has a line state; anything else named COM<n> is not one.
    if (!GetCommState(handle, &dcb)) {
        return WindowsError(GetLastError());
    }
    if (auto applied = open->ApplyReadTimeouts(kNeverWait, 1); !applied) {
        return applied.Error();
    }
    return std::shared_ptr<OpenSerialPort>(std::move(open));
}

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<SerialPortTable>(OpenPort);
}

}  // namespace zep
