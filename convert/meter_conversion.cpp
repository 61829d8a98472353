// Converting a meter archive (".bia") into one import file: its header as the device section,
// its records rendered by the driver of its type, the records before any damage kept.
#include "convert/meter_conversion.h"

#include "convert/bounded_output.h"
#include "convert/conversion_lines.h"
#include "convert/device_label.h"
#include "convert/import_text_save.h"
#include "convert/raw_archive_reader.h"
#include "core/number_text.h"

namespace zep {

namespace {

// Renders the records and writes the import file; every outcome but the closing line.
bool ConvertOpenedArchive(RawArchiveReader& reader, const std::filesystem::path& path,
                          const std::filesystem::path& importFolder, ConversionContext& context) {
    const std::string type = reader.GetValue("Type");
    const std::string serial = reader.GetValue("Serial");
    const std::string virtualText = reader.GetValue("Virtual");

    BoundedOutput output;
    output.Stream() << "[DEVICE]\n"
                    << reader.GetHeaderText() << "\n"
                    << "[DEVICE_END]\n";
    context.report.LogUpper(ProcessingLine(type, serial, reader.GetValue("Vname")));

    const MeterRecordsRun records = context.drivers.ConvertMeterRecords(
        {path, type, ParseDecimalAs<std::int32_t>(virtualText), context.stop}, reader, output,
        context.report);
    if (records.run != DriverRun::Done) {
        context.stopped = records.run == DriverRun::Stopped;
        return false;
    }

    // The records before damage are imported; the raw file stays for the readings behind it,
    // as it does for a text cut at the buffer's limit.
    const bool saved = SaveImportText(output, importFolder, context, type, serial, virtualText);
    if (!records.endedCleanly) {
        context.report.LogUpper(DamagedArchiveLine(path.filename().string(), records.stopOffset));
        return false;
    }
    return saved && !output.ReachedLimit();
}

}  // namespace

bool ConvertMeterArchive(const std::filesystem::path& path,
                         const std::filesystem::path& importFolder, ConversionContext& context,
                         std::string& deviceLabel) {
    RawArchiveReader reader;
    bool result = false;
    if (!reader.Open(path)) {
        context.report.LogUpper(kBiaFormatErrorLine);
    } else {
        deviceLabel = MakeDeviceLabel(reader.GetValue("Type"), reader.GetValue("Serial"),
                                      reader.GetValue("Virtual"));
        result = ConvertOpenedArchive(reader, path, importFolder, context);
    }
    context.report.LogUpper(kConversionDoneLine);
    return result;
}

}  // namespace zep
