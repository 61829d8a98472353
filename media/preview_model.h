#pragma once
// What the preview of a card folder shows: one row per meter archive (a ".zep" file or a first
// volume of a card database) and per printer protocol, each with the selection key the import
// worker matches, and the summary line. Texts are UTF-8, converted from the card's
// Windows-1251.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive_key.h"
#include "core/worker_params.h"

namespace zep {

struct PreviewRow {
    std::string deviceType;
    std::string serialNumber;
    std::string heatSystem;
    std::string date;
    SelectionKey key = 0;
    // The key of the archive the import would take for this row, when asked for; none for an
    // archive the import would not take whole (a broken chain).
    std::optional<ArchiveKey> archive;
};

struct CardFolderContents {
    std::vector<PreviewRow> rows;  // in the order the folder listing returned the files
    unsigned devices = 0;
    unsigned files = 0;
    std::uint64_t bytes = 0;  // sizes of the meter archives and card databases counted
};

enum class ArchiveKeys { Skip, Compute };

// Reads the card folder; files that cannot be read add nothing, a folder that cannot be
// listed gives no rows and zero counts. With ArchiveKeys::Compute every archive is read whole
// and keyed as the import keys it, for the marks of the import history.
CardFolderContents ReadCardFolder(const std::filesystem::path& folder,
                                  ArchiveKeys keys = ArchiveKeys::Skip);

// "Найдены данные %u приборов в %u файлах (%.2f Мб)".
std::string PreviewSummary(const CardFolderContents& contents);

// Every run of digits written back with at least two digits: "5.3.2007 9:07" gives
// "05.03.2007 09:07".
std::string ReformatDate(std::string_view text);

}  // namespace zep
