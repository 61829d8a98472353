// The master side of a pseudo-terminal (posix_openpt), polled for its time-outs.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "tools/common/line_speed.h"
#include "tools/common/pseudo_terminal.h"

namespace zep::tools {

namespace {

short PollMaster(int master, short events, int timeoutMs) {
    pollfd entry{master, events, 0};
    for (;;) {
        const int ready = poll(&entry, 1, timeoutMs);
        if (ready >= 0) {
            return ready == 0 ? 0 : entry.revents;
        }
        if (errno != EINTR) {
            return POLLERR;
        }
    }
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    Close();
}

struct PseudoTerminal::Master {
    int fd = -1;
};

PseudoTerminal::PseudoTerminal() : m_master(std::make_unique<Master>()) {}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : m_master(std::make_unique<Master>()), m_slavePath(std::move(other.m_slavePath)) {
    m_master->fd = std::exchange(other.m_master->fd, -1);
}

bool PseudoTerminal::IsOpen() const {
    return m_master->fd >= 0;
}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept {
    if (this != &other) {
        Close();
        m_master->fd = std::exchange(other.m_master->fd, -1);
        m_slavePath = std::move(other.m_slavePath);
    }
    return *this;
}

bool PseudoTerminal::Open() {
    Close();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        return false;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        close(master);
        return false;
    }
    termios settings{};
    if (tcgetattr(master, &settings) != 0) {
        close(master);
        return false;
    }
    MakeRawLine(settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    if (tcsetattr(master, TCSANOW, &settings) != 0) {
        close(master);
        return false;
    }
    // Linux reports a hang-up on the master only after a slave has been opened and closed
    // again; doing that once here makes "no slave open" visible from the start.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        close(slave);
    }
    m_master->fd = master;
    m_slavePath = name;
    return true;
}

int PseudoTerminal::Read(std::span<std::uint8_t> into, int timeoutMs) {
    if (m_master->fd < 0) {
        return -1;
    }
    const short events = PollMaster(m_master->fd, POLLIN, timeoutMs);
    if (events & POLLIN) {
        const ssize_t count = read(m_master->fd, into.data(), into.size());
        if (count > 0) {
            return static_cast<int>(count);
        }
        if (count < 0 && errno != EAGAIN && errno != EIO && errno != EINTR) {
            return -1;
        }
        return 0;
    }
    if (events & POLLNVAL) {
        return -1;
    }
    if (events & POLLHUP) {
        // No slave open: the hang-up is reported at once, so wait here instead of in a loop.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeoutMs, 10)));
    }
    return 0;
}

int PseudoTerminal::Write(std::span<const std::uint8_t> bytes, int timeoutMs) {
    if (m_master->fd < 0) {
        return -1;
    }
    if (bytes.empty()) {
        return 0;
    }
    const short events = PollMaster(m_master->fd, POLLOUT, timeoutMs);
    if (events & POLLNVAL) {
        return -1;
    }
    if (!(events & POLLOUT)) {
        return 0;
    }
    const ssize_t count = write(m_master->fd, bytes.data(), bytes.size());
    if (count < 0) {
        return (errno == EAGAIN || errno == EINTR || errno == EIO) ? 0 : -1;
    }
    return static_cast<int>(count);
}

int PseudoTerminal::LineSpeed() const {
    termios settings{};
    if (m_master->fd < 0 || tcgetattr(m_master->fd, &settings) != 0) {
        return 0;
    }
    return SpeedFromCode(cfgetospeed(&settings));
}

bool PseudoTerminal::SlaveOpen() const {
    if (m_master->fd < 0) {
        return false;
    }
    return !(PollMaster(m_master->fd, 0, 0) & POLLHUP);
}

void PseudoTerminal::Discard() {
    if (m_master->fd < 0) {
        return;
    }
    tcflush(m_master->fd, TCIOFLUSH);
    // What the device end wrote waits in the other side's input queue, which a flush on the
    // master does not reach; and the kernel moves written bytes there from a work queue, so
    // give them a moment to land, then flush that queue from the other side itself.
    usleep(20000);
    const int slave = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        tcflush(slave, TCIFLUSH);
        close(slave);
    }
}

void PseudoTerminal::Close() {
    if (m_master->fd >= 0) {
        close(m_master->fd);
        m_master->fd = -1;
    }
    m_slavePath.clear();
}

}  // namespace zep::tools
