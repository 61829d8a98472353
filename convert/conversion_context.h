#pragma once
// What every conversion of one raw file works with: where it reports, the loaded drivers, and
// the clock that names the files it writes.
#include "app/worker/worker_report.h"
#include "convert/driver_table.h"
#include "platform/clock.h"

namespace zep {

struct ConversionContext {
    WorkerReport& report;
    const DriverTable& drivers;
    Clock& clock;
};

}  // namespace zep
