// The removable drives' table and the one-time report of each card folder that appears.
#include "media/drive_watcher.h"

#include <algorithm>

#include "core/path_text.h"

namespace zep {

int RescanDrives(RemovableDriveTable* table, std::optional<std::string_view> folderName,
                 const DriveRootLister& listRoots) {
    const std::vector<std::string> roots = listRoots();
    const int count =
        static_cast<int>(std::min<std::size_t>(roots.size(), RemovableDriveTable::kCapacity));
    if (table == nullptr) {
        return count;
    }
    const RemovableDriveTable previous = *table;
    for (int i = 0; i < count; ++i) {
        DriveEntry& entry = table->entries[i];
        entry.root = roots[i];
        // Joined with the system's own separator: the folder is shown in the log and the
        // preview's caption as the user knows it (E:\Pexilor\Tessal on Windows).
        entry.folder =
            folderName
                ? PathToUtf8((PathFromUtf8(roots[i]) / PathFromUtf8(*folderName)).make_preferred())
                : roots[i];
        entry.present = false;
        for (int k = 0; k < previous.count; ++k) {
            if (previous.entries[k].root == entry.root) {
                entry.present = previous.entries[k].present;
                break;
            }
        }
    }
    table->count = count;
    return count;
}

std::optional<std::filesystem::path> FindNewCardFolder(RemovableDriveTable& table,
                                                       const FolderPresenceTest& isPresent) {
    for (int i = 0; i < table.count; ++i) {
        DriveEntry& entry = table.entries[i];
        const bool wasPresent = entry.present;
        entry.present = isPresent(entry.folder);
        if (!wasPresent && entry.present) {
            return PathFromUtf8(entry.folder);
        }
    }
    return std::nullopt;
}

}  // namespace zep
