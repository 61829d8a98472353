#pragma once
// What every worker is given besides its parameter block: where to report, the clock, the
// lock it must hold, the program folder where raw files are written, the program's request to
// end soon (the exchanges give way to it at their next wait), the import history and who is
// told of each raw file.
#include <filesystem>

#include "core/clock.h"
#include "core/import_history.h"
#include "core/raw_file_observer.h"
#include "core/stop_request.h"
#include "core/worker_lock.h"
#include "core/worker_report.h"

namespace zep {

struct WorkerEnvironment {
    WorkerReport& report;
    Clock& clock;
    WorkerLock& lock;
    std::filesystem::path programFolder;
    const StopRequest& stop = StopRequest::Never();
    // Where archives taken are recorded and looked up; none: every offer is taken, nothing is
    // recorded.
    ImportHistory* history = nullptr;
    // Told of each raw file published (the session recording); none: nobody is told.
    RawFileObserver* rawFiles = nullptr;
};

}  // namespace zep
