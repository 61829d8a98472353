// Converting a meter archive (".bia") into one import file: its header as the device section,
// its records rendered by the driver of its type, the records before any damage kept.
#include "convert/meter_conversion.h"

#include "convert/bounded_output.h"
#include "convert/conversion_lines.h"
#include "convert/device_label.h"
#include "convert/import_text_save.h"

namespace zep {

namespace {

// Writes the import file of a rendered archive; every outcome but the closing line.
bool SaveArchive(const MeterArchiveRun& archive, const std::filesystem::path& path,
                 const BoundedOutput& output, const std::filesystem::path& importFolder,
                 ConversionContext& context) {
    if (archive.run != DriverRun::Done) {
        return false;
    }
    // The records before damage are imported; the raw file stays for the readings behind it,
    // as it does for a text cut at the buffer's limit.
    const bool saved = SaveImportText(output, importFolder, context, archive.type, archive.serial,
                                      archive.virtualNumber, 0);
    if (!archive.endedCleanly) {
        context.report.LogUpper(DamagedArchiveLine(path.filename().string(), archive.stopOffset));
        return false;
    }
    return saved && !output.ReachedLimit();
}

}  // namespace

bool ConvertMeterArchive(const std::filesystem::path& path,
                         const std::filesystem::path& importFolder, ConversionContext& context,
                         std::string& deviceLabel) {
    BoundedOutput output;
    const MeterArchiveRun archive =
        context.drivers.RenderMeterArchive(path, context.stop, output, context.report);
    bool result = false;
    if (archive.run == DriverRun::Stopped) {
        context.stopped = true;  // the header may be unread: the file waits for the next start
    } else if (!archive.opened) {
        context.report.LogUpper(kBiaFormatErrorLine);
    } else {
        deviceLabel = MakeDeviceLabel(archive.type, archive.serial, archive.virtualNumber);
        result = SaveArchive(archive, path, output, importFolder, context);
    }
    context.report.LogUpper(kConversionDoneLine);
    return result;
}

}  // namespace zep
