// A raw serial line for the tools: termios settings, poll for the time-outs.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

#include "tools/common/line_speed.h"
#include "tools/common/raw_tty.h"

namespace zep::tools {

struct RawTty::Line {
    int fd = -1;
};

RawTty::RawTty() : m_line(std::make_unique<Line>()) {}

RawTty::~RawTty() {
    Close();
}

RawTty::RawTty(RawTty&& other) noexcept : m_line(std::make_unique<Line>()) {
    m_line->fd = std::exchange(other.m_line->fd, -1);
}

RawTty& RawTty::operator=(RawTty&& other) noexcept {
    if (this != &other) {
        Close();
        m_line->fd = std::exchange(other.m_line->fd, -1);
    }
    return *this;
}

bool RawTty::IsOpen() const {
    return m_line->fd >= 0;
}

bool RawTty::Open(const std::string& path, int speed) {
    Close();
    const speed_t code = SpeedCode(speed);
    if (code == B0) {
        return false;
    }
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    termios settings{};
    if (!isatty(fd) || tcgetattr(fd, &settings) != 0) {
        close(fd);
        return false;
    }
    MakeRawLine(settings);
    cfsetispeed(&settings, code);
    cfsetospeed(&settings, code);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        close(fd);
        return false;
    }
    m_line->fd = fd;
    return true;
}

bool RawTty::SetSpeed(int speed) {
    const speed_t code = SpeedCode(speed);
    termios settings{};
    if (m_line->fd < 0 || code == B0 || tcgetattr(m_line->fd, &settings) != 0) {
        return false;
    }
    cfsetispeed(&settings, code);
    cfsetospeed(&settings, code);
    return tcsetattr(m_line->fd, TCSADRAIN, &settings) == 0;
}

int RawTty::Speed() const {
    termios settings{};
    if (m_line->fd < 0 || tcgetattr(m_line->fd, &settings) != 0) {
        return 0;
    }
    return SpeedFromCode(cfgetospeed(&settings));
}

int RawTty::Read(std::span<std::uint8_t> into, int timeoutMs) {
    if (m_line->fd < 0) {
        return -1;
    }
    pollfd entry{m_line->fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0 || (entry.revents & (POLLERR | POLLNVAL))) {
        return -1;
    }
    if (ready == 0) {
        return 0;
    }
    const ssize_t count = read(m_line->fd, into.data(), into.size());
    if (count > 0) {
        return static_cast<int>(count);
    }
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
        return 0;
    }
    if (count == 0 && !(entry.revents & POLLHUP)) {
        return 0;
    }
    return -1;  // the other end is gone
}

int RawTty::Write(std::span<const std::uint8_t> bytes) {
    if (m_line->fd < 0) {
        return -1;
    }
    std::size_t done = 0;
    int stalledMs = 0;  // a reader that takes nothing for this long is not waited for
    while (done < bytes.size() && stalledMs < 5000) {
        const ssize_t count = write(m_line->fd, bytes.data() + done, bytes.size() - done);
        if (count > 0) {
            done += static_cast<std::size_t>(count);
            stalledMs = 0;
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return -1;
        }
        pollfd entry{m_line->fd, POLLOUT, 0};
        stalledMs += 100;
        if (poll(&entry, 1, 100) < 0 && errno != EINTR) {
            return -1;
        }
        if (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return -1;
        }
    }
    return static_cast<int>(done);
}

void RawTty::Discard() {
    if (m_line->fd >= 0) {
        tcflush(m_line->fd, TCIOFLUSH);
    }
}

void RawTty::Close() {
    if (m_line->fd >= 0) {
        close(m_line->fd);
        m_line->fd = -1;
    }
}

}  // namespace zep::tools
