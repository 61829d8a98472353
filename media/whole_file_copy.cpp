// A ".zep" or ".zvo" file of the card copied whole into a raw file of the program folder, unless
// the import history knows it.
#include "media/whole_file_copy.h"

#include <optional>
#include <vector>

#include "media/archive_output.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 16;

enum class Copied { Whole, ReadFailed, WriteFailed };

// Reads the opened file into the output piece by piece.
Copied ReadInto(const OpenedRegularFile& in, ArchiveOutput& output) {
    std::vector<std::uint8_t> piece(kPiece);
    for (std::uint64_t offset = 0;;) {
        const auto count = in.ReadAt(offset, piece);
        if (!count) {
            return Copied::ReadFailed;
        }
        if (*count == 0) {
            return Copied::Whole;
        }
        if (!output.Append(std::span(piece.data(), *count))) {
            return Copied::WriteFailed;
        }
        offset += *count;
    }
}

// Only a file that is gone is said to be deleted: one that stays is imported again at the next
// insertion, and the user must see why.
void DeleteFromCard(const CardFile& file, const MediaImportContext& context) {
    context.env.report.LogUpper(RemoveCardFile(file) ? std::string(kDeletingLine)
                                                     : CardLine(kNotDeletedLine, file));
}

}  // namespace

void CopyWholeFile(const CardFile& file, const std::string& extension,
                   const MediaImportContext& context) {
    if (file.size == 0) {
        return;
    }
    // The card file is opened once and judged on the opened file, so the name cannot be turned
    // into a link between the listing and the copy.
    const auto in = OpenedRegularFile::Open(file.path);
    if (!in) {
        return;  // the card file stays
    }
    const auto& folder = context.env.programFolder;
    const std::string stamp = OutputStamp(context.env);
    ArchiveOutput output(folder);
    const Copied copied = ReadInto(*in, output);
    if (copied == Copied::ReadFailed) {
        context.env.report.LogUpper(CardLine(kReadFailedLine, file));
        return;
    }
    const ArchiveKey key = output.Key();
    if (copied == Copied::Whole && context.PassOver(key)) {
        if (context.params.deleteData) {
            DeleteFromCard(file, context);
        }
        return;
    }
    auto finished = copied == Copied::Whole ? output.Finish() : std::nullopt;
    if (!finished || !PublishOutput(*finished, stamp, extension, context)) {
        context.env.report.LogUpper(kWriteErrorLine);
        return;
    }
    if (!context.params.deleteData && !context.env.history) {
        return;
    }
    // The copy is flushed; its name must be on disk too before it is recorded and the card
    // gives up the original.
    if (!FlushFolder(folder)) {
        if (context.params.deleteData) {
            context.env.report.LogUpper(CardLine(kNotDeletedLine, file));
        }
        return;
    }
    context.Record(std::span(&key, 1));
    if (context.params.deleteData) {
        DeleteFromCard(file, context);
    }
}

}  // namespace zep
