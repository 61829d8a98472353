// A ".zep" or ".zvo" file of the card copied whole into a raw file of the program folder.
#include "media/whole_file_copy.h"

#include <fstream>
#include <vector>

#include "platform/publish_file.h"

namespace zep {

namespace {

// Copies the card file into the pending output piece by piece, so a large card file costs one
// piece of memory, not its size.
enum class CopyResult { Copied, ReadFailed, WriteFailed };

CopyResult CopyInto(const CardFile& file, PendingFile& output) {
    std::ifstream in(file.path, std::ios::binary);
    std::vector<std::uint8_t> piece(1 << 16);
    while (in) {
        in.read(reinterpret_cast<char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
        const auto count = static_cast<std::size_t>(in.gcount());
        if (output.Write(std::span(piece.data(), count)) != count) {
            return CopyResult::WriteFailed;
        }
    }
    // read() turns a failing read (a failing card) into a bad stream, never an exception.
    return in.eof() && !in.bad() ? CopyResult::Copied : CopyResult::ReadFailed;
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
    const CopyResult copied = output ? CopyInto(file, *output) : CopyResult::WriteFailed;
    if (copied == CopyResult::ReadFailed) {
        return;  // the card file stays, as one that cannot be opened does
    }
    if (copied != CopyResult::Copied ||
        !PublishOutput(*output, stamp, extension, context).has_value()) {
        context.env.report.LogUpper(kWriteErrorLine);
        return;
    }
    if (context.params.deleteData == 0) {
        return;
    }
    // The copy is flushed; its name must be on disk too before the card gives up the original.
    if (!FlushFolder(folder)) {
        context.env.report.LogUpper(CardLine(kNotDeletedLine, file));
        return;
    }
    // Only a file that is gone is said to be deleted: one that stays is imported again at the
    // next insertion, and the user must see why.
    context.env.report.LogUpper(RemoveCardFile(file) ? std::string(kDeletingLine)
                                                     : CardLine(kNotDeletedLine, file));
}

}  // namespace zep
