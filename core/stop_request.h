#pragma once
// The program's wish that the running exchange end soon: set once on the controller's thread
// when an exit is asked for, looked at by the worker between its waits. It is never taken
// back; the program ends once the worker has.
#include <atomic>

namespace zep {

class StopRequest {
public:
    void Request() { m_requested.store(true); }
    bool Requested() const { return m_requested.load(); }

    // The request nobody makes, for workers run where no exit can be asked for.
    static const StopRequest& Never();

private:
    std::atomic<bool> m_requested{false};
};

}  // namespace zep
