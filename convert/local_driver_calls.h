#pragma once
// The driver calls made in this process, with the drivers of a table loaded here: in the driver
// host process, and in the tools, tests and benches that load drivers themselves.
#include "convert/driver_calls.h"
#include "convert/driver_table.h"

namespace zep {

class LocalDriverCalls final : public DriverCalls {
public:
    explicit LocalDriverCalls(const DriverTable& drivers) : m_drivers(drivers) {}

    MeterArchiveRun RenderMeterArchive(const std::filesystem::path& file,
                                       const std::atomic<bool>* stop, BoundedOutput& output,
                                       WorkerReport& report) override;
    DriverRun ConvertAssembledRecords(const DriverJob& job, std::span<const std::uint8_t> image,
                                      BoundedOutput& output, WorkerReport& report) override;

private:
    const DriverTable& m_drivers;
};

}  // namespace zep
