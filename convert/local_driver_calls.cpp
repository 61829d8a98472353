// The records of a raw file handed to the drivers loaded in this process, with the progress and
// the walk's failures posted as they come.
#include "convert/local_driver_calls.h"

#include "convert/assembled_archive.h"
#include "convert/record_converter.h"

namespace zep {

MeterRecordsRun LocalDriverCalls::ConvertMeterRecords(const DriverJob& job,
                                                      RawArchiveReader& reader,
                                                      BoundedOutput& output, WorkerReport& report) {
    RecordConverter converter(m_drivers, report, job.type, output, job.virtualDevice);
    MeterRecordsRun result;
    result.stopOffset = reader.Position();
    while (const auto record = reader.ReadRecord()) {
        if (!converter.Convert(record->Kind(), record->Data())) {
            return result;
        }
        converter.Progress(reader.GetProgress());
        result.stopOffset = reader.Position();
    }
    result.run = DriverRun::Done;
    result.endedCleanly = reader.EndedCleanly();
    return result;
}

DriverRun LocalDriverCalls::ConvertAssembledRecords(const DriverJob& job,
                                                    std::span<const std::uint8_t> image,
                                                    BoundedOutput& output, WorkerReport& report) {
    RecordConverter converter(m_drivers, report, job.type, output, job.virtualDevice);
    bool failed = false;
    const WalkResult walk = WalkAssembledArchive(image, [&](const AssembledRecord& record) {
        failed = !converter.Convert(record.kind, record.data);
        if (!failed) {
            converter.Progress(static_cast<int>(record.endOffset * 100 / image.size()));
        }
        return !failed;
    });
    if (failed) {
        return DriverRun::Failed;
    }
    switch (walk) {
        case WalkResult::Ok:
            return DriverRun::Done;
        case WalkResult::StructureError:
            report.LogUpper(kStructureErrorLine);
            return DriverRun::Failed;
        case WalkResult::FormatError:
            report.LogUpper(kFormatErrorLine);
            return DriverRun::Failed;
    }
    return DriverRun::Failed;
}

}  // namespace zep
