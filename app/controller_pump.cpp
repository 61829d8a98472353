// Drives the controller's poll tick and message delivery from a front end's event loop, timed
// on the controller's clock.
#include "app/controller_pump.h"

#include <algorithm>

namespace zep {

ControllerPump::ControllerPump(MainController& controller, Clock& clock)
    : m_controller(controller), m_clock(clock), m_nextTickMs(clock.TickMs() + kPollPeriodMs) {}

void ControllerPump::DeliverMessages() {
    m_controller.DeliverMessages();
}

bool ControllerPump::TickIfDue() {
    if (m_clock.TickMs() < m_nextTickMs) {
        return false;
    }
    m_controller.PollTick();
    m_nextTickMs = std::max(m_nextTickMs + kPollPeriodMs, m_clock.TickMs());
    return true;
}

std::int64_t ControllerPump::MsUntilTick() const {
    return std::max<std::int64_t>(m_nextTickMs - m_clock.TickMs(), 0);
}

}  // namespace zep
