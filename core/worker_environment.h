#pragma once
// What every worker is given besides its parameter block: where to report, the clock, the
// lock it must hold, and the program folder where raw files are written.
#include <filesystem>

#include "core/clock.h"
#include "core/worker_lock.h"
#include "core/worker_report.h"

namespace zep {

struct WorkerEnvironment {
    WorkerReport& report;
    Clock& clock;
    WorkerLock& lock;
    std::filesystem::path programFolder;
};

}  // namespace zep
