// Saves the text of one device as its import file and tells the user what became of it.
#include "convert/import_text_save.h"

#include "convert/conversion_lines.h"
#include "convert/output_file.h"
#include "core/path_text.h"

namespace zep {

bool SaveImportText(const BoundedOutput& output, const std::filesystem::path& importFolder,
                    ConversionContext& context, const std::string& type, const std::string& serial,
                    const std::string& name, int number) {
    if (output.ReachedLimit()) {
        context.report.LogUpper(kOutputLimitLine);
    }
    if (context.Published(number)) {
        return true;
    }
    const OutputFileOutcome written = WriteImportFile(output.Text(), importFolder, context.clock);
    switch (written.result) {
        case OutputFileResult::Written:
            context.Record(number);
            return true;
        case OutputFileResult::NameNotOnDisk:
            // The import file is there; only its raw file must not go, so it is kept.
            return false;
        case OutputFileResult::CannotCreate:
            // The reason follows the line of the failure it explains: the folder's, or the
            // save's.
            context.report.LogUpper(FolderUnavailableLine(PathToUtf8(importFolder)));
            LogReasonUpper(context.report, written.reason, importFolder);
            break;
        case OutputFileResult::WriteFailed:
            break;
    }
    context.report.LogLower(ImpSaveErrorLine(type, serial, name));
    if (written.result == OutputFileResult::WriteFailed) {
        LogReasonLower(context.report, written.reason, importFolder);
    }
    return false;
}

}  // namespace zep
