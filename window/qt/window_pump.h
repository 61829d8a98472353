#pragma once
// Runs the controller's pump from the window's event loop: a timer armed for the next poll
// tick, and the workers' messages delivered on the window's thread, in the order they were
// posted, as soon as they arrive.
#include <QObject>
#include <QTimer>

#include <atomic>

#include "app/controller_pump.h"

namespace zep {

class WindowPump final : public QObject {
    Q_OBJECT
public:
    WindowPump(MainController& controller, Clock& clock);
    ~WindowPump() override;

    void Start();
    void Stop();

    // What the timer does when it fires: the tick if it is due, the messages, the next arming.
    void OnTimer();

private:
    void Arm();
    void Deliver();

    MainController& m_controller;
    ControllerPump m_pump;
    QTimer m_timer;
    // One queued delivery covers every message posted before it runs, so a burst of posts
    // does not flood the event queue.
    std::atomic<bool> m_deliveryQueued{false};
};

}  // namespace zep
