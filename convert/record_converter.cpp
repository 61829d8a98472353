// Hands each record of a conversion to the driver of the device type and reads back its results,
// so that a failing or scribbling driver ends the run instead of misleading the next call.
#include "convert/record_converter.h"

#include <algorithm>
#include <limits>

#include "convert/conversion_lines.h"

namespace zep {

std::int32_t ClampToInt32(long value) {
    return static_cast<std::int32_t>(std::clamp<long>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

RecordConverter::RecordConverter(const DriverTable& drivers, WorkerReport& report, std::string type,
                                 BoundedOutput& output, std::int32_t virtualDevice)
    : m_report(report), m_calls(drivers), m_type(std::move(type)), m_output(output) {
    m_block.virtualDevice = virtualDevice;
    m_block.result = 0;
}

bool RecordConverter::Convert(std::uint8_t kind, std::span<const std::uint8_t> data) {
    if (data.empty()) {
        return true;
    }
    if (m_driver == kNotLookedUp) {
        m_driver = m_calls.FindDriver(m_type);
    }
    if (m_driver < 0) {
        m_report.LogUpper(NoDriverLine(m_type));
        return false;
    }
    // The result carries over from the previous record; the other fields are set for every
    // call so that a driver that scribbled on them cannot mislead the next call.
    const std::int32_t virtualDevice = m_block.virtualDevice;
    m_block.kind = kind;
    m_block.data = data.data();
    m_block.length = static_cast<std::int32_t>(data.size());
    m_block.out = &m_output.Stream();
    const int called = m_calls.ConvertRecord(m_driver, m_block);
    m_block.virtualDevice = virtualDevice;
    if (called != kVLCallDone) {
        m_report.LogUpper(kDriverCallFailedLine);
        return false;
    }
    // A full buffer fails the stream too, and has its own rule; any other failed state means
    // text the driver meant to write is missing, whatever it reported.
    if (!m_output.Stream() && !m_output.ReachedLimit()) {
        m_report.LogUpper(kDriverStreamFailedLine);
        return false;
    }
    if (m_block.result < 0) {
        m_report.LogUpper(DriverErrorLine(m_block.result));
        return false;
    }
    if (m_block.result > 0 && m_block.result != m_lastCode) {
        m_report.LogUpper(IncompleteLine(m_block.result));
        m_lastCode = m_block.result;
    }
    return true;
}

void RecordConverter::Progress(int percent) {
    if (percent != m_lastPercent) {
        m_report.SetBar2(percent, std::nullopt);
        m_lastPercent = percent;
    }
}

}  // namespace zep
