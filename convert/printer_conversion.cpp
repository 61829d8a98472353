// Printer protocols of the Zuvo application become ".zvo" files in the printer-protocol folder:
// copied out of a "ZUVO" assembled archive, or a ".bil" raw file moved there.
#include "convert/printer_conversion.h"

#include "convert/assembled_archive.h"
#include "convert/conversion_lines.h"
#include "convert/output_file.h"
#include "core/path_text.h"
#include "platform/regular_file.h"
#include "platform/time_base.h"

namespace zep {

namespace fs = std::filesystem;

int CopyPrinterRecords(PendingFile& file, std::span<const std::uint8_t> image,
                       WorkerReport& report) {
    bool writeFailed = false;
    const WalkResult walk = WalkAssembledArchive(image, [&](const AssembledRecord& record) {
        writeFailed = file.Write(record.data) != record.data.size();
        return !writeFailed;
    });
    if (writeFailed) {
        report.LogUpper(kPrinterWriteErrorLine);
        LogReasonUpper(report, file.Failure(), file.TemporaryPath().parent_path());
        return -1;
    }
    switch (walk) {
        case WalkResult::Ok:
            return 0;
        case WalkResult::StructureError:
            report.LogUpper(kStructureErrorLine);
            return -1;
        case WalkResult::FormatError:
            report.LogUpper(kFormatErrorLine);
            return -1;
    }
    return -1;
}

bool ConvertPrinterArchive(std::span<const std::uint8_t> image, const TitleStrings& title,
                           const fs::path& printerFolder, ConversionContext& context,
                           std::string& deviceLabel) {
    deviceLabel = AssembledDeviceLabel(title);
    const std::time_t now = context.clock.Now();
    context.report.LogUpper(ProcessingLine(title.type, title.serial, title.vname));

    bool result = false;
    SystemError publishFailure;
    if (context.Published(0)) {
        result = true;  // written before a restart
    } else if (auto file = PendingFile::Create(printerFolder); !file) {
        context.report.LogUpper(FolderUnavailableLine(PathToUtf8(printerFolder)));
        LogReasonUpper(context.report, file.Error(), printerFolder);
    } else if (CopyPrinterRecords(*file, image, context.report) == 0) {
        result = PublishAttemptNumbered(*file, printerFolder, now, ".zvo").has_value();
        publishFailure = file->Failure();
        // The protocol's name must be on disk before its raw file may go.
        if (const auto flushed = result ? FlushFolder(printerFolder) : SystemDone(); !flushed) {
            result = false;
            publishFailure = flushed.Error();
        }
        if (result) {
            context.Record(0);
        }
    }
    if (!result) {
        context.report.LogLower(ZvoSaveErrorLine(title.type, title.serial, title.vname));
        LogReasonLower(context.report, publishFailure, printerFolder);
    }
    context.report.LogUpper(kConversionDoneLine);
    return result;
}

bool MovePrinterProtocol(const fs::path& path, const fs::path& printerFolder,
                         ConversionContext& context) {
    if (context.Published(0)) {
        // Moved before a restart, which came before the old name could go.
        return static_cast<bool>(RemoveFile(path));
    }
    const std::string stamp = FormatLocalTime(context.clock.Now(), kFileStampPattern);
    const auto moved = MoveRegularFileNumbered(
        path,
        [&](int attempt) {
            return printerFolder / (stamp + "_" + std::to_string(attempt) + ".zvo");
        },
        [&context](const fs::path&) { context.Record(0); });
    if (!moved) {
        context.report.LogUpper(
            PrinterMoveFailedLine(PathToUtf8(path.filename()), PathToUtf8(printerFolder)));
        // The line names the file and the folder; the failure may lie with either.
        LogReasonUpper(context.report, moved.Error(), {});
        return false;
    }
    return true;
}

}  // namespace zep
