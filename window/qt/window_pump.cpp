// The poll timer and the queued delivery of worker messages to the window's thread.
#include "window/qt/window_pump.h"

namespace zep {

WindowPump::WindowPump(MainController& controller, Clock& clock)
    : m_controller(controller), m_pump(controller, clock) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &WindowPump::OnTimer);
    // Called on the posting thread; the delivery itself runs on this object's thread.
    m_controller.Messages().SetWakeHandler([this] {
        if (!m_deliveryQueued.exchange(true)) {
            QMetaObject::invokeMethod(this, &WindowPump::Deliver, Qt::QueuedConnection);
        }
    });
}

WindowPump::~WindowPump() {
    m_controller.Messages().SetWakeHandler({});
}

void WindowPump::Start() {
    Arm();
}

void WindowPump::Stop() {
    m_timer.stop();
}

void WindowPump::OnTimer() {
    m_pump.TickIfDue();
    m_pump.DeliverMessages();
    Arm();
}

void WindowPump::Arm() {
    m_timer.start(static_cast<int>(m_pump.MsUntilTick()));
}

void WindowPump::Deliver() {
    // Cleared first: a message posted from now on queues a delivery of its own.
    m_deliveryQueued.store(false);
    m_pump.DeliverMessages();
}

}  // namespace zep
