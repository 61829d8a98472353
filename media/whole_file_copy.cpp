// A ".zep" or ".zvo" file of the card copied whole into a raw file of the program folder.
#include "media/whole_file_copy.h"

#include <optional>

#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace {

// The card file is opened once and judged on the opened file, so the name cannot be turned into
// a link between the listing and the copy. nullopt when it cannot be opened as a plain file.
std::optional<CopyResult> CopyCardFile(const CardFile& file, PendingFile& output) {
    const auto in = OpenedRegularFile::Open(file.path);
    if (!in) {
        return std::nullopt;
    }
    return CopyInto(*in, output);
}

}  // namespace

void CopyWholeFile(const CardFile& file, const std::string& extension,
                   const MediaImportContext& context) {
    if (file.size == 0) {
        return;
    }
    const auto& folder = context.env.programFolder;
    const std::string stamp = OutputStamp(context.env);
    auto output = PendingFile::Create(folder);
    const auto copied =
        output ? CopyCardFile(file, *output) : std::optional(CopyResult::WriteFailed);
    if (!copied) {
        return;  // the card file stays
    }
    if (copied == CopyResult::ReadFailed) {
        context.env.report.LogUpper(CardLine(kReadFailedLine, file));
        return;
    }
    if (copied != CopyResult::Copied ||
        !PublishOutput(*output, stamp, extension, context).has_value()) {
        context.env.report.LogUpper(kWriteErrorLine);
        LogReasonUpper(context.env.report, output ? output->Failure() : output.Error(), folder);
        return;
    }
    if (!context.params.deleteData) {
        return;
    }
    // The copy is flushed; its name must be on disk too before the card gives up the original.
    if (const auto flushed = FlushFolder(folder); !flushed) {
        context.env.report.LogUpper(CardLine(kNotDeletedLine, file));
        LogReasonUpper(context.env.report, flushed.Error(), folder);
        return;
    }
    // Only a file that is gone is said to be deleted: one that stays is imported again at the
    // next insertion, and the user must see why.
    const auto removed = RemoveCardFile(file);
    context.env.report.LogUpper(removed ? std::string(kDeletingLine)
                                        : CardLine(kNotDeletedLine, file));
    LogReasonUpper(context.env.report, removed.Error(), file.path);
}

}  // namespace zep
