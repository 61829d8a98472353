// A ".zep" or ".zvo" file of the card copied whole into a raw file of the program folder, unless
// the import history knows it.
#include "media/whole_file_copy.h"

#include <optional>

#include "media/archive_output.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace {

// Only a file that is gone is said to be deleted: one that stays is imported again at the next
// insertion, and the user must see why.
void DeleteFromCard(const CardFile& file, const MediaImportContext& context) {
    const auto removed = RemoveCardFile(file);
    context.env.report.LogUpper(removed ? std::string(kDeletingLine)
                                        : CardLine(kNotDeletedLine, file));
    LogReasonUpper(context.env.report, removed.Error(), file.path);
}

// The card file is opened once and judged on the opened file, so the name cannot be turned into
// a link between the listing and the copy; it is closed again before anything is published or
// deleted (Windows deletes no file that is open). nullopt when it cannot be opened as a plain
// file.
std::optional<CopyResult> CopyCardFile(const CardFile& file, ArchiveOutput& output) {
    const auto in = OpenedRegularFile::Open(file.path);
    if (!in) {
        return std::nullopt;
    }
    return ForEachPiece(
        *in, [&output](std::span<const std::uint8_t> piece) { return output.Append(piece); });
}

}  // namespace

void CopyWholeFile(const CardFile& file, const std::string& extension,
                   const MediaImportContext& context) {
    if (file.size == 0) {
        return;
    }
    const auto& folder = context.env.programFolder;
    const std::string stamp = OutputStamp(context.env);
    ArchiveOutput output(folder);
    const auto copied = CopyCardFile(file, output);
    if (!copied) {
        return;  // the card file stays
    }
    if (copied == CopyResult::ReadFailed) {
        context.env.report.LogUpper(CardLine(kReadFailedLine, file));
        return;
    }
    const ArchiveKey key = output.Key();
    if (copied == CopyResult::Copied && context.PassOver(key)) {
        if (context.params.deleteData) {
            DeleteFromCard(file, context);
        }
        return;
    }
    auto finished = copied == CopyResult::Copied ? output.Finish() : std::nullopt;
    if (!finished || !PublishOutput(*finished, stamp, extension, context)) {
        context.env.report.LogUpper(kWriteErrorLine);
        LogReasonUpper(context.env.report, finished ? finished->Failure() : output.Failure(),
                       folder);
        return;
    }
    if (!context.params.deleteData && !context.env.history) {
        return;
    }
    // The copy is flushed; its name must be on disk too before it is recorded and the card
    // gives up the original.
    if (const auto flushed = FlushFolder(folder); !flushed) {
        if (context.params.deleteData) {
            context.env.report.LogUpper(CardLine(kNotDeletedLine, file));
            LogReasonUpper(context.env.report, flushed.Error(), folder);
        }
        return;
    }
    context.Record(std::span(&key, 1));
    if (context.params.deleteData) {
        DeleteFromCard(file, context);
    }
}

}  // namespace zep
