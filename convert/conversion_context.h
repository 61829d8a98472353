#pragma once
// What every conversion of one raw file works with: where it reports, the loaded drivers, and
// the clock that names the files it writes.
#include "convert/driver_table.h"
#include "core/clock.h"
#include "core/worker_report.h"

namespace zep {

struct ConversionContext {
    WorkerReport& report;
    const DriverTable& drivers;
    Clock& clock;
};

}  // namespace zep
