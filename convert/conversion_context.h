#pragma once
// What every conversion of one raw file works with: where it reports, the drivers, the clock
// that names the files it writes, and the worker's stop request.
#include <atomic>

#include "convert/driver_calls.h"
#include "core/clock.h"
#include "core/worker_report.h"

namespace zep {

struct ConversionContext {
    WorkerReport& report;
    DriverCalls& drivers;
    Clock& clock;
    const std::atomic<bool>* stop = nullptr;  // ends a driver run early; may be null
    bool stopped = false;  // set when the stop request ended a driver run: the raw file stays
};

}  // namespace zep
