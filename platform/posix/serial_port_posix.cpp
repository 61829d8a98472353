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
#include <cerrno>
#include <chrono>
#include <climits>
#include <memory>
#include <string>

#include "platform/posix/termios_speed.h"
#include "platform/serial_device_map.h"
#include "platform/serial_port_factory.h"
#include "platform/serial_port_table.h"

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

class PosixPort final : public OpenSerialPort {
public:
    PosixPort(int fd, const termios& original, std::string device)
        : m_fd(fd), m_original(original), m_device(std::move(device)) {}
    ~PosixPort() override {
        ioctl(m_fd, TIOCNXCL);
        tcsetattr(m_fd, TCSANOW, &m_original);
        close(m_fd);  // also drops the advisory lock
    }
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    SystemDone SetLine9600(int dataBits) override {
        static constexpr tcflag_t kDataBits[] = {CS5, CS6, CS7, CS8};
        return Change([&](termios& t) {
            cfsetispeed(&t, B9600);
            cfsetospeed(&t, B9600);
            t.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
            t.c_cflag |= kDataBits[dataBits - 5];
        });
    }

    SystemDone SetNoFlowControl() override {
        return Change([](termios& t) {
            t.c_cflag &= ~CRTSCTS;
            t.c_iflag &= ~(IXON | IXOFF | IXANY);
        });
    }

    int GetSpeed() override {
        termios t{};
        if (tcgetattr(m_fd, &t) != 0) {
            return -1;
        }
        return SpeedValue(cfgetospeed(&t));
    }

    int SetSpeed(int speed) override {
        speed_t code{};
        if (!SpeedCode(speed, code)) {
            return -1;
        }
        const bool changed = static_cast<bool>(Change([&](termios& t) {
            cfsetispeed(&t, code);
            cfsetospeed(&t, code);
        }));
        return changed ? 0 : -1;
    }

    // Reads wait with poll() by the time-outs kept; the line itself needs nothing.
    SystemDone ApplyReadTimeouts(std::uint32_t /*total*/, std::uint32_t /*interval*/) override {
        return {};
    }

    int Read(std::span<std::uint8_t> buffer) override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = read(m_fd, buffer.data() + done, buffer.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n == 0 || errno != EAGAIN || ByteWaitMs() == 0) {
                break;  // the device is gone, or nothing is waiting and no wait was asked for
            }
            // Each byte may take up to the total time-out to arrive.
            if (!WaitReady(m_fd, POLLIN, NowMs() + ByteWaitMs())) {
                break;
            }
        }
        return static_cast<int>(done);
    }

    int Write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if ((n < 0 && errno != EAGAIN) || !WaitReady(m_fd, POLLOUT, NowMs() + kWriteStallMs)) {
                if (done == 0) {
                    return -1;
                }
                break;
            }
        }
        return static_cast<int>(done);
    }

    int Flush(int which) override {
        static constexpr int kQueues[] = {TCIFLUSH, TCOFLUSH, TCIOFLUSH};
        return tcflush(m_fd, kQueues[which]) == 0 ? 0 : -1;
    }

    int OutputPending() override {
        int pending = 0;
        if (ioctl(m_fd, TIOCOUTQ, &pending) != 0) {
            return -1;
        }
        return pending;
    }

    int LineStatus() override {
        int lines = 0;
        if (ioctl(m_fd, TIOCMGET, &lines) != 0) {
            return 0;  // no modem lines (pseudo-terminals)
        }
        return (lines & TIOCM_CTS) != 0 ? 1 : 0;
    }

    // An unplugged USB adapter hangs its tty up and loses its device file; a closed
    // pseudo-terminal master hangs the slave up; a removed COM link leaves the port without a
    // name. A path that now names another device counts as gone too.
    bool Gone() override {
        pollfd entry{m_fd, POLLIN, 0};
        if (poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return true;
        }
        struct stat named {};
        struct stat held {};
        return stat(m_device.c_str(), &named) != 0 || fstat(m_fd, &held) != 0 ||
               named.st_rdev != held.st_rdev;
    }

private:
    // How long one byte may be waited for: nothing under (0xFFFFFFFF, n) or a zero total.
    int ByteWaitMs() const {
        const std::uint32_t total = ReadTotal();
        if (total == kNeverWait) {
            return 0;
        }
        return static_cast<int>(std::min<std::uint32_t>(total, INT_MAX));
    }

    template <typename Edit>
    SystemDone Change(Edit edit) {
        termios t{};
        if (tcgetattr(m_fd, &t) != 0) {
            return ErrnoError(errno);
        }
        edit(t);
        if (tcsetattr(m_fd, TCSANOW, &t) != 0) {
            return ErrnoError(errno);
        }
        return {};
    }

    int m_fd;
    termios m_original;
    // The path it was opened by: the COM link or the device file.
    std::string m_device;
};

// Closes a descriptor that is not handed on, keeping the errno of the failure that made it so.
SystemError Abandon(int fd, int error) {
    close(fd);
    return ErrnoError(error);
}

// Opens COM<port> exclusively in raw mode with non-blocking reads. A COM number without a
// device fails as a device that is not there; a device another program holds, as a busy one.
SystemResult<std::shared_ptr<OpenSerialPort>> OpenPort(int port) {
    const auto device = FindSerialDevice(port);
    if (!device) {
        return ErrnoError(ENODEV);
    }
    const int fd = open(device->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return ErrnoError(errno);
    }
    termios original{};
    if (!isatty(fd) || tcgetattr(fd, &original) != 0) {
        return Abandon(fd, errno);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return Abandon(fd, errno == EWOULDBLOCK ? EBUSY : errno);
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        return Abandon(fd, errno);
    }
    termios raw = original;
    posix::MakeRawLine(raw);
    // With O_NONBLOCK, VMIN 1 makes an empty line EAGAIN and a hung-up one end-of-file.
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &raw) != 0) {
        const int error = errno;
        ioctl(fd, TIOCNXCL);
        return Abandon(fd, error);
    }
    return std::shared_ptr<OpenSerialPort>(
        std::make_shared<PosixPort>(fd, original, device->string()));
}

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<SerialPortTable>(OpenPort);
}

}  // namespace zep
