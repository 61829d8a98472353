// Converting an assembled archive (".bin"): one import file per virtual device, every record
// rendered by the driver of its type; "ZUVO" archives are handed to the printer branch.
#include "convert/assembled_conversion.h"

#include <optional>
#include <vector>

#include "convert/assembled_archive.h"
#include "convert/conversion_lines.h"
#include "convert/import_text_save.h"
#include "convert/printer_conversion.h"
#include "convert/record_converter.h"
#include "convert/title_strings.h"
#include "platform/regular_file.h"

namespace zep {

namespace fs = std::filesystem;

std::optional<std::vector<std::uint8_t>> ReadAssembledArchive(const fs::path& path) {
    const auto in = OpenedRegularFile::Open(path);
    if (!in || in->Size() > kMaxAssembledArchiveBytes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> image(static_cast<std::size_t>(in->Size()));
    if (in->ReadAt(0, image) != image.size()) {
        return std::nullopt;
    }
    return image;
}

namespace {

// Writes the import file of one virtual device; false after the posted save error.
bool WriteDeviceFile(const BoundedOutput& output, const TitleStrings& title,
                     const fs::path& importFolder, ConversionContext& context, int number) {
    if (!SaveImportText(output, importFolder, context, title.type, title.serial, title.vname,
                        number)) {
        return false;
    }
    context.report.LogUpper(kConversionDoneLine);
    return !output.ReachedLimit();
}

bool ConvertMeterBranch(const fs::path& path, std::span<const std::uint8_t> image,
                        const TitleStrings& title, const fs::path& importFolder,
                        ConversionContext& context, std::string& deviceLabel) {
    BoundedOutput output;
    bool result = true;
    bool written = false;  // an import file of a device may exist
    for (int n = 0;; ++n) {
        const long v = NthNumber(title.virtualDevices, n);
        if (v < 0) {
            break;
        }
        output.Reset();
        deviceLabel = AssembledDeviceLabel(title);
        output.Stream() << "[DEVICE]\n"
                        << "Type=" << title.type << "\n"
                        << "Serial=" << title.serial << "\n"
                        << "Virtual=" << v << "\n"
                        << "Vname=" << title.vname << "\n"
                        << "[DEVICE_END]\n";
        context.report.LogUpper(ProcessingLine(title.type, title.serial, title.vname));
        const DriverRun run = context.drivers.ConvertAssembledRecords(
            {path, title.type, ClampToInt32(v), context.stop}, image, output, context.report);
        if (run == DriverRun::Stopped) {
            // The archive waits for the next start, unless a device of it is imported already:
            // then it ends as a failure does, so that no device is imported twice.
            context.stopped = !written;
            return false;
        }
        if (run != DriverRun::Done) {
            context.report.LogLower(BinErrorLine(title.type, title.serial, title.vname));
            result = false;
            // A file set aside is handed to no driver again, for no virtual device either.
            if (run == DriverRun::SetAside) {
                break;
            }
            continue;
        }
        written = true;
        if (!WriteDeviceFile(output, title, importFolder, context, n)) {
            result = false;
        }
    }
    return result;
}

}  // namespace

bool ConvertAssembledArchive(const fs::path& path, const fs::path& importFolder,
                             const fs::path& printerFolder, ConversionContext& context,
                             std::string& deviceLabel) {
    const auto image = ReadAssembledArchive(path);
    if (!image) {
        return false;
    }
    TitleStrings partial;
    const auto title = ReadTitleStrings(*image, &partial);
    if (!title) {
        // Without its title the archive names no driver and no device; it cannot be converted.
        context.report.LogUpper(kStructureErrorLine);
        context.report.LogLower(BinErrorLine(partial.type, partial.serial, partial.vname));
        return false;
    }
    if (title->type == "ZUVO") {
        return ConvertPrinterArchive(*image, *title, printerFolder, context, deviceLabel);
    }
    return ConvertMeterBranch(path, *image, *title, importFolder, context, deviceLabel);
}

}  // namespace zep
