#pragma once
// What every conversion of one raw file works with: where it reports, the drivers, the clock
// that names the files it writes, the worker's stop request, and the ledger of the outputs it
// has published.
#include <atomic>

#include "convert/driver_calls.h"
#include "core/clock.h"
#include "core/worker_report.h"

namespace zep {

// The outputs of one raw file's conversion that are on disk, so that a conversion cut short by
// a crash goes on where it stopped instead of making them all again. Output n is the n-th file
// a raw file gives (the import file of the n-th virtual device; 0 for the only one).
class OutputLedger {
public:
    virtual ~OutputLedger() = default;
    // Published before: the conversion runs as always but writes this output no more.
    virtual bool Published(int output) const = 0;
    // Called once the output is published and its folder's names are flushed, before the next
    // output is written.
    virtual void Record(int output) = 0;
};

struct ConversionContext {
    WorkerReport& report;
    DriverCalls& drivers;
    Clock& clock;
    const std::atomic<bool>* stop = nullptr;  // ends a driver run early; may be null
    bool stopped = false;  // set when the stop request ended a driver run: the raw file stays
    OutputLedger* ledger = nullptr;  // none: every output is written

    bool Published(int output) const { return ledger && ledger->Published(output); }
    void Record(int output) const {
        if (ledger) {
            ledger->Record(output);
        }
    }
};

}  // namespace zep
