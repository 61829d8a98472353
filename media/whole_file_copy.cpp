// A ".zep" or ".zvo" file of the card copied whole into a raw file of the program folder.
#include "media/whole_file_copy.h"

#include <fstream>
#include <limits>
#include <optional>
#include <vector>

#include "core/bounded_buffer.h"
#include "platform/publish_file.h"

namespace zep {

namespace {

std::optional<std::vector<std::uint8_t>> ReadWhole(const CardFile& file) {
    std::ifstream in(file.path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    constexpr auto kAnySize = std::numeric_limits<std::int64_t>::max();
    if (!ResizeWithin(bytes,
                      static_cast<std::int64_t>(std::min<std::uintmax_t>(file.size, kAnySize)),
                      kAnySize)) {
        return std::nullopt;
    }
    if (!in.read(reinterpret_cast<char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()))) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

void CopyWholeFile(const CardFile& file, const std::string& extension,
                   const MediaImportContext& context) {
    if (file.size == 0) {
        return;
    }
    const auto bytes = ReadWhole(file);
    if (!bytes) {
        return;
    }
    const auto& folder = context.env.programFolder;
    const std::string stamp = OutputStamp(context.env);
    auto output = PendingFile::Create(folder);
    const bool written = output && output->Write(*bytes) == bytes->size() &&
                         PublishOutput(*output, stamp, extension, context).has_value();
    if (!written) {
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
    context.env.report.LogUpper(kDeletingLine);
    if (!RemoveCardFile(file)) {
        context.env.report.LogUpper(CardLine(kNotDeletedLine, file));
    }
}

}  // namespace zep
