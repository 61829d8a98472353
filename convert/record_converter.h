#pragma once
// Hands the records of one conversion run to the driver of the device type: looks the driver
// up at the first record with data, calls it, reads its results and posts progress.
#include <cstdint>
#include <span>
#include <string>

#include "convert/bounded_output.h"
#include "convert/driver_table.h"
#include "core/worker_report.h"
#include "sdk/vl_driver.h"

namespace zep {

// A number from a file, kept within the 32 bits of the record block.
std::int32_t ClampToInt32(long value);

class RecordConverter {
public:
    RecordConverter(const DriverTable& drivers, WorkerReport& report, std::string type,
                    BoundedOutput& output, std::int32_t virtualDevice);

    // Converts one record; records without data are not handed to the driver. False after a
    // failure of the run, whose line has been posted: the call was not carried out, the driver
    // left the stream failed (other than by filling the buffer), or reported an error.
    bool Convert(std::uint8_t kind, std::span<const std::uint8_t> data);
    // Posts the percentage to bar 2 when it changed since the last one posted.
    void Progress(int percent);

private:
    static constexpr int kNotLookedUp = -2;

    WorkerReport& m_report;
    DriverTable::CallScope m_calls;
    std::string m_type;
    BoundedOutput& m_output;
    VLRecordBlock m_block{};
    int m_driver = kNotLookedUp;
    std::int32_t m_lastCode = 0;
    int m_lastPercent = 0;
};

}  // namespace zep
