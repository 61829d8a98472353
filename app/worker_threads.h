#pragma once
// The real subsystems behind the controller: the serial port component, the drive table, and
// the drivers (in the driver host process), the conversion worker, the device exchanges and the
// card import, each worker on its own thread.
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/subsystems.h"
#include "core/clock.h"
#include "core/import_history.h"
#include "core/worker_lock.h"
#include "platform/serial_port.h"

namespace zep {

struct RealParts {
    std::unique_ptr<SerialPort> serial;
    std::unique_ptr<DriveWatch> drives;
    std::unique_ptr<Subsystems> subsystems;
};

// history: where the workers record what they take and the conversion its progress; it
// outlives the parts. The drivers run in the driver host, this program started in its hidden
// mode, and may take driverTimeout for the records of one import file (0: no limit).
RealParts CreateRealParts(WorkerLock& lock, Clock& clock,
                          const std::filesystem::path& programFolder, ImportHistory& history,
                          std::chrono::seconds driverTimeout);

}  // namespace zep
