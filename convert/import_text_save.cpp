// Saves the text of one device as its import file and tells the user what became of it.
#include "convert/import_text_save.h"

#include "convert/conversion_lines.h"
#include "convert/output_file.h"
#include "core/path_text.h"

namespace zep {

bool SaveImportText(const BoundedOutput& output, const std::filesystem::path& importFolder,
                    ConversionContext& context, const std::string& type, const std::string& serial,
                    const std::string& name) {
    if (output.ReachedLimit()) {
        context.report.LogUpper(kOutputLimitLine);
    }
    const OutputFileOutcome written = WriteImportFile(output.Text(), importFolder, context.clock);
    if (written.result == OutputFileResult::Written) {
        return true;
    }
    // The reason follows the line of the failure it explains: the folder's, or the save's.
    if (written.result == OutputFileResult::CannotCreate) {
        context.report.LogUpper(FolderUnavailableLine(PathToUtf8(importFolder)));
        LogReasonUpper(context.report, written.reason, importFolder);
    }
    context.report.LogLower(ImpSaveErrorLine(type, serial, name));
    if (written.result == OutputFileResult::WriteFailed) {
        LogReasonLower(context.report, written.reason, importFolder);
    }
    return false;
}

}  // namespace zep
