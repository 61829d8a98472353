#pragma once
// Drives the controller from the window's event loop: the one-second poll on a timer, and
// the workers' messages delivered on the window's thread, in the order they were posted.
#include <QObject>
#include <QTimer>

#include <atomic>

#include "app/main_controller.h"

namespace zep {

class ControllerPump final : public QObject {
    Q_OBJECT
public:
    explicit ControllerPump(MainController& controller);
    ~ControllerPump() override;

    void Start();
    void Stop();

    // One poll tick and the messages it caused, as the timer does it.
    void Tick();

private:
    void Deliver();

    MainController& m_controller;
    QTimer m_poll;
    // One queued delivery covers every message posted before it runs, so a burst of posts
    // does not flood the event queue.
    std::atomic<bool> m_deliveryQueued{false};
};

}  // namespace zep
