#pragma once
// What a front end's event loop calls to drive the controller: the message delivery whenever a
// worker has posted, and the one-second poll tick when it is due. The pump keeps the tick's
// timing on the controller's clock, so every front end ticks alike and tests need no waiting.
//
// A front end uses it like this:
// - when MainController::Messages() wakes it (MessageQueue::SetWakeHandler, called on the
//   posting thread: hand over to the front end's own thread first), call DeliverMessages();
// - arm a timer for MsUntilTick() and, when it fires, call TickIfDue() and re-arm it; a timer
//   that fires early or late does no harm, TickIfDue() only ticks when the tick is due;
// - a front end that simply loops (the headless service) waits on the queue for at most
//   MsUntilTick(), then calls DeliverMessages() and TickIfDue().
// Everything runs on the front end's one thread, the controller's.
#include <cstdint>

#include "app/main_controller.h"
#include "core/clock.h"

namespace zep {

class ControllerPump {
public:
    static constexpr std::int64_t kPollPeriodMs = 1000;

    // The first tick is due one period after construction.
    ControllerPump(MainController& controller, Clock& clock);

    void DeliverMessages();
    // Runs the poll tick when it is due; true when it ran. A late tick is not made up for: after
    // any delay at most one tick follows at once, then the period holds again.
    bool TickIfDue();
    // Milliseconds until the next tick is due; 0 when it is due now.
    std::int64_t MsUntilTick() const;

private:
    MainController& m_controller;
    Clock& m_clock;
    std::int64_t m_nextTickMs;
};

}  // namespace zep
