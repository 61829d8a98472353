#pragma once
// The controller's way to the other subsystems: drivers, conversion, the device exchanges and
// the card import, each worker on a thread of its own. Tests replace it with fakes.
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_params.h"
#include "core/worker_report.h"
#include "platform/serial_port.h"

namespace zep {

// In the slot order of the device prompts.
enum class Exchange { Tessal = 0, Kolvar = 1, Zep = 2 };

class Subsystems {
public:
    virtual ~Subsystems() = default;

    virtual void LoadDrivers(WorkerReport& report) = 0;
    virtual void UnloadDrivers() = 0;

    virtual void StartConversion(WorkerReport& report, std::atomic<int>& convertBusy,
                                 const std::atomic<bool>& saveBin) = 0;
    // Asks the conversion to end after the file in hand, without waiting; its busy flag drops
    // when it has.
    virtual void StopConversionAfterFile() = 0;
    // Stops the conversion and waits for the thread of the last exchange or card import, which
    // has released the lock by then; afterwards no worker reports or calls a driver.
    virtual void StopWorkers() = 0;

    // Each start runs the worker on its own thread with its own copy of the parameters, and
    // returns only once the worker holds the worker lock (or has already ended).
    virtual void StartExchange(Exchange exchange, const WorkerParams& params, SerialPort& serial,
                               WorkerReport& report) = 0;
    virtual void StartCardImport(const WorkerParams& params, WorkerReport& report) = 0;

    // The program is to end: the running exchange gives way at its next wait (its closing
    // steps still run). A card import runs to its end. Never taken back.
    virtual void RequestWorkerStop() = 0;

    // Restores the line after the most recent Tessal exchange; run when the program closes.
    virtual void TessalClose(SerialPort& serial, WorkerReport& report) = 0;

    // The numbers of the serial ports present, in discovery order; nullopt when unreadable.
    virtual std::optional<std::vector<int>> SerialPortNumbers() = 0;
};

// The removable drives watched for a card folder (the table of the window).
class DriveWatch {
public:
    struct Drive {
        std::string root;
        bool present = false;
    };

    virtual ~DriveWatch() = default;

    // Relists the removable drives; known drives keep their present flag.
    virtual void Rescan() = 0;
    // Forgets every drive (flash cards switched off).
    virtual void Clear() = 0;
    // The card folder that has newly appeared, if any.
    virtual std::optional<std::filesystem::path> FindNewCardFolder() = 0;
    // Clears the present flag of drive k, so that its card is offered again.
    virtual void Rearm(int k) = 0;
    virtual std::vector<Drive> Drives() const = 0;
};

}  // namespace zep
