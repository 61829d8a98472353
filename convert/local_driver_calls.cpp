// Meter archives and the records of assembled archives handed to the drivers loaded in this
// process, with the progress and the failures posted as they come.
#include "convert/local_driver_calls.h"

#include "convert/assembled_archive.h"
#include "convert/conversion_lines.h"
#include "convert/record_converter.h"
#include "core/number_text.h"

namespace zep {

MeterArchiveRun LocalDriverCalls::RenderMeterArchive(const std::filesystem::path& file,
                                                     const std::atomic<bool>*,
                                                     BoundedOutput& output, WorkerReport& report) {
    MeterArchiveRun archive;
    RawArchiveReader reader;
    if (!reader.Open(file)) {
        return archive;
    }
    archive.opened = true;
    archive.type = reader.GetValue("Type");
    archive.serial = reader.GetValue("Serial");
    archive.virtualNumber = reader.GetValue("Virtual");
    output.Stream() << "[DEVICE]\n"
                    << reader.GetHeaderText() << "\n"
                    << "[DEVICE_END]\n";
    report.LogUpper(ProcessingLine(archive.type, archive.serial, reader.GetValue("Vname")));

    RecordConverter converter(m_drivers, report, archive.type, output,
                              ParseDecimalAs<std::int32_t>(archive.virtualNumber));
    archive.stopOffset = reader.Position();
    while (const auto record = reader.ReadRecord()) {
        if (!converter.Convert(record->Kind(), record->Data())) {
            return archive;
        }
        converter.Progress(reader.GetProgress());
        archive.stopOffset = reader.Position();
    }
    archive.run = DriverRun::Done;
    archive.endedCleanly = reader.EndedCleanly();
    return archive;
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
