// The poll timer and the queued delivery of worker messages to the window's thread.
#include "window/qt/controller_pump.h"

#include <chrono>

namespace zep {

namespace {

constexpr std::chrono::milliseconds kPollPeriod{1000};

}  // namespace

ControllerPump::ControllerPump(MainController& controller) : m_controller(controller) {
    m_poll.setInterval(kPollPeriod);
    m_poll.setTimerType(Qt::CoarseTimer);
    connect(&m_poll, &QTimer::timeout, this, &ControllerPump::Tick);
    // Called on the posting thread; the delivery itself runs on this object's thread.
    m_controller.Messages().SetWakeHandler([this] {
        if (!m_deliveryQueued.exchange(true)) {
            QMetaObject::invokeMethod(this, &ControllerPump::Deliver, Qt::QueuedConnection);
        }
    });
}

ControllerPump::~ControllerPump() {
    m_controller.Messages().SetWakeHandler({});
}

void ControllerPump::Start() {
    m_poll.start();
}

void ControllerPump::Stop() {
    m_poll.stop();
}

void ControllerPump::Tick() {
    m_controller.PollTick();
    m_controller.DeliverMessages();
}

void ControllerPump::Deliver() {
    // Cleared first: a message posted from now on queues a delivery of its own.
    m_deliveryQueued.store(false);
    m_controller.DeliverMessages();
}

}  // namespace zep
