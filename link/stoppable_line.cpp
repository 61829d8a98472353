// The exchange's port that stops delivering once the program asks to end.
#include "link/stoppable_line.h"

namespace zep {

StoppableLine::StoppableLine(SerialPort& inner, const StopRequest& stop, Clock& clock, int graceMs)
    : m_inner(inner), m_stop(stop), m_clock(clock), m_graceMs(graceMs) {}

bool StoppableLine::Stopped() {
    if (!m_stop.Requested()) {
        return false;
    }
    if (m_graceMs > 0) {
        if (m_seenMs < 0) {
            m_seenMs = m_clock.TickMs();
        }
        if (m_clock.TickMs() - m_seenMs < m_graceMs) {
            return false;
        }
    }
    m_cutShort = true;
    return true;
}

int StoppableLine::PortReadByte(int port) {
    return Stopped() ? -1 : m_inner.PortReadByte(port);
}

int StoppableLine::PortRead(int port, std::span<std::uint8_t> buffer) {
    return Stopped() ? 0 : m_inner.PortRead(port, buffer);
}

bool StoppableLine::PortGone(int port) {
    return Stopped() || m_inner.PortGone(port);
}

}  // namespace zep
