#pragma once
// The part of a conversion that calls a driver: the records of one raw file handed, one at a
// time, to the driver of the device type, which renders them into the output text of one
// import file. The conversions reach the drivers only through this interface: those loaded in
// this process (LocalDriverCalls) or those of the driver host process (DriverHost), where a
// driver that crashes or hangs costs its file and nothing else.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "convert/bounded_output.h"
#include "convert/raw_archive_reader.h"
#include "core/worker_report.h"

namespace zep {

// How a run of driver calls over the records of one import file ended.
enum class DriverRun {
    Done,      // every record with data was converted
    Failed,    // the run failed; its line has been posted
    SetAside,  // the driver host crashed, hung or broke the exchange: the raw file must not be
               // handed to a driver again (the line naming device type and file is posted)
    Stopped,   // a stop request ended the run: the raw file stays for the next start
};

// What the driver calls over the records of an assembled archive are about.
struct DriverJob {
    const std::filesystem::path& file;  // the raw file
    const std::string& type;            // device type: the name of the driver to call
    std::int32_t virtualDevice;         // for the record block
    const std::atomic<bool>* stop;      // a stop request that ends the run early; may be null
};

// A meter archive as its conversion left it, short of the import file.
struct MeterArchiveRun {
    bool opened = false;  // the file and its header block were valid: the values below are read
    std::string type;     // the header values "Type", "Serial", "Virtual" as written
    std::string serial;
    std::string virtualNumber;
    DriverRun run = DriverRun::Failed;
    bool endedCleanly = false;     // reading ended at the end of the file behind a whole record
    std::uint64_t stopOffset = 0;  // where the record begins at which reading stopped
};

class DriverCalls {
public:
    virtual ~DriverCalls() = default;

    // A meter archive read and rendered into the output: the device section (its header), then
    // each record's text by the driver of its type, with "$02CNV: Обработка ..." posted before
    // the records. Nothing is posted when the header is not valid (opened stays false). The
    // driver host reads the file in its own process; the program reads the header only when the
    // host failed, for the label and the line.
    virtual MeterArchiveRun RenderMeterArchive(const std::filesystem::path& file,
                                               const std::atomic<bool>* stop, BoundedOutput& output,
                                               WorkerReport& report) = 0;
    // The records of an assembled archive's image (the file read whole), for one virtual device,
    // appended to the output after what it holds.
    virtual DriverRun ConvertAssembledRecords(const DriverJob& job,
                                              std::span<const std::uint8_t> image,
                                              BoundedOutput& output, WorkerReport& report) = 0;
};

}  // namespace zep
