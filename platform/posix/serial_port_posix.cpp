// The serial port component over termios. Every port is opened exclusively (TIOCEXCL against
// other programs, an advisory lock against other openers that run as root), in raw mode with
// non-blocking reads; waiting is done with poll() according to the read time-outs in force.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/posix/termios_speed.h"
#include "platform/serial_device_map.h"
#include "platform/serial_port_factory.h"

namespace zep {

namespace {

// A write that makes no progress for this long gives up (a stalled line, a vanished device).
constexpr int kWriteStallMs = 2000;

bool SpeedCode(int bitsPerSecond, speed_t& code) {
    code = posix::SpeedCode(bitsPerSecond);
    return code != B0;
}

int SpeedValue(speed_t code) {
    const int speed = posix::SpeedFromCode(code);
    return speed > 0 ? speed : -1;
}

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits until fd is ready for events or the deadline passes; false on time-out or hang-up
// without data.
bool WaitReady(int fd, short events, std::int64_t deadline) {
    while (true) {
        const std::int64_t left = deadline - NowMs();
        pollfd entry{fd, events, 0};
        const int timeout = static_cast<int>(std::clamp<std::int64_t>(left, 0, INT_MAX));
        const int ready = poll(&entry, 1, timeout);
        if (ready > 0) {
            // A hung-up line (device unplugged, pseudo-terminal master closed) will not
            // become ready again.
            return (entry.revents & events) != 0 &&
                   (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

class PosixPort {
public:
    PosixPort(int fd, const termios& original, std::string device)
        : m_fd(fd), m_original(original), m_device(std::move(device)) {}
    ~PosixPort() {
        ioctl(m_fd, TIOCNXCL);
        tcsetattr(m_fd, TCSANOW, &m_original);
        close(m_fd);  // also drops the advisory lock
    }
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    int fd() const { return m_fd; }
    // The path it was opened by: the COM link or the device file.
    const std::string& device() const { return m_device; }

    void SetTimeouts(std::uint32_t total, std::uint32_t interval) {
        m_total = total;
        m_interval = interval;
    }
    void GetTimeouts(std::uint32_t& total, std::uint32_t& interval) const {
        total = m_total;
        interval = m_interval;
    }

    // How long one byte may be waited for: nothing under (0xFFFFFFFF, n) or a zero total.
    int ByteWaitMs() const {
        const std::uint32_t total = m_total;
        if (total == kNeverWait) {
            return 0;
        }
        return static_cast<int>(std::min<std::uint32_t>(total, INT_MAX));
    }

private:
    int m_fd;
    termios m_original;
    std::string m_device;
    std::atomic<std::uint32_t> m_total{kNeverWait};
    std::atomic<std::uint32_t> m_interval{1};
};

class PosixSerialPort final : public SerialPort {
public:
    int PortOpen(int port) override {
        std::lock_guard guard(m_mutex);
        if (m_ports.count(port) != 0) {
            return -1;
        }
        const auto device = FindSerialDevice(port);
        if (!device) {
            return -1;
        }
        const int fd = open(device->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        termios original{};
        if (!isatty(fd) || tcgetattr(fd, &original) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
            ioctl(fd, TIOCEXCL) != 0) {
            close(fd);
            return -1;
        }
        termios raw = original;
        posix::MakeRawLine(raw);
        // With O_NONBLOCK, VMIN 1 makes an empty line EAGAIN and a hung-up one end-of-file.
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        if (tcsetattr(fd, TCSANOW, &raw) != 0) {
            ioctl(fd, TIOCNXCL);
            close(fd);
            return -1;
        }
        m_ports.emplace(port, std::make_shared<PosixPort>(fd, original, device->string()));
        return 0;
    }

    void PortClose(int port) override {
        std::shared_ptr<PosixPort> closing;
        {
            std::lock_guard guard(m_mutex);
            auto found = m_ports.find(port);
            if (found == m_ports.end()) {
                return;
            }
            closing = std::move(found->second);
            m_ports.erase(found);
        }
        // The descriptor closes when the last user lets go of it.
    }

    int PortSetLineParams(int port, int rateCode, int modeCode) override {
        auto open = Find(port);
        // Mode: the low two bits give 5 to 8 data bits; parity and extra stop bits are not
        // used by any device served here.
        if (!open || rateCode != kRateCode9600 || modeCode < 0 || modeCode > 3) {
            return -1;
        }
        static constexpr tcflag_t kDataBits[] = {CS5, CS6, CS7, CS8};
        return Change(*open, [&](termios& t) {
            cfsetispeed(&t, B9600);
            cfsetospeed(&t, B9600);
            t.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
            t.c_cflag |= kDataBits[modeCode];
        });
    }

    int PortSetFlowControl(int port, int mode) override {
        auto open = Find(port);
        if (!open || mode != 0) {
            return -1;
        }
        return Change(*open, [](termios& t) {
            t.c_cflag &= ~CRTSCTS;
            t.c_iflag &= ~(IXON | IXOFF | IXANY);
        });
    }

    int PortGetSpeed(int port) override {
        auto open = Find(port);
        termios t{};
        if (!open || tcgetattr(open->fd(), &t) != 0) {
            return -1;
        }
        return SpeedValue(cfgetospeed(&t));
    }

    int PortSetSpeed(int port, int speed) override {
        auto open = Find(port);
        speed_t code{};
        if (!open || !SpeedCode(speed, code)) {
            return -1;
        }
        return Change(*open, [&](termios& t) {
            cfsetispeed(&t, code);
            cfsetospeed(&t, code);
        });
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
        if (!open) {
            return -1;
        }
        open->SetTimeouts(total, interval);
        return 0;
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
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = read(open->fd(), buffer.data() + done, buffer.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n == 0 || errno != EAGAIN || open->ByteWaitMs() == 0) {
                break;  // the device is gone, or nothing is waiting and no wait was asked for
            }
            // Each byte may take up to the total time-out to arrive.
            if (!WaitReady(open->fd(), POLLIN, NowMs() + open->ByteWaitMs())) {
                break;
            }
        }
        return static_cast<int>(done);
    }

    int PortWriteByte(int port, std::uint8_t byte) override {
        return PortWrite(port, std::span(&byte, 1));
    }

    int PortWrite(int port, std::span<const std::uint8_t> bytes) override {
        auto open = Find(port);
        if (!open) {
            return -1;
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(open->fd(), bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if ((n < 0 && errno != EAGAIN) ||
                !WaitReady(open->fd(), POLLOUT, NowMs() + kWriteStallMs)) {
                if (done == 0) {
                    return -1;
                }
                break;
            }
        }
        return static_cast<int>(done);
    }

    int PortFlush(int port, int which) override {
        auto open = Find(port);
        static constexpr int kQueues[] = {TCIFLUSH, TCOFLUSH, TCIOFLUSH};
        if (!open || which < 0 || which > 2) {
            return -1;
        }
        return tcflush(open->fd(), kQueues[which]) == 0 ? 0 : -1;
    }

    int PortOutputPending(int port) override {
        auto open = Find(port);
        int pending = 0;
        if (!open || ioctl(open->fd(), TIOCOUTQ, &pending) != 0) {
            return -1;
        }
        return pending;
    }

    int PortLineStatus(int port) override {
        auto open = Find(port);
        if (!open) {
            return -1;
        }
        int lines = 0;
        if (ioctl(open->fd(), TIOCMGET, &lines) != 0) {
            return 0;  // no modem lines (pseudo-terminals)
        }
        return (lines & TIOCM_CTS) != 0 ? 1 : 0;
    }

    // An unplugged USB adapter hangs its tty up and loses its device file; a closed
    // pseudo-terminal master hangs the slave up; a removed COM link leaves the port without a
    // name. A path that now names another device counts as gone too.
    bool PortGone(int port) override {
        auto open = Find(port);
        if (!open) {
            return false;
        }
        pollfd entry{open->fd(), POLLIN, 0};
        if (poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return true;
        }
        struct stat named {};
        struct stat held {};
        return stat(open->device().c_str(), &named) != 0 || fstat(open->fd(), &held) != 0 ||
               named.st_rdev != held.st_rdev;
    }

private:
    std::shared_ptr<PosixPort> Find(int port) const {
        std::lock_guard guard(m_mutex);
        const auto found = m_ports.find(port);
        return found == m_ports.end() ? nullptr : found->second;
    }

    template <typename Edit>
    static int Change(const PosixPort& open, Edit edit) {
        termios t{};
        if (tcgetattr(open.fd(), &t) != 0) {
            return -1;
        }
        edit(t);
        return tcsetattr(open.fd(), TCSANOW, &t) == 0 ? 0 : -1;
    }

    mutable std::mutex m_mutex;
    std::map<int, std::shared_ptr<PosixPort>> m_ports;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<PosixSerialPort>();
}

}  // namespace zep
