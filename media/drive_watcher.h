#pragma once
// The table of removable drives and the search for a card folder that has newly appeared on
// one of them: each card insertion is reported once, at the first poll that finds its folder.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drive_list.h"

namespace zep {

// Where a handheld device leaves its data on a card, below the card's root; written with "/",
// joined to the root with the system's separator.
inline constexpr std::string_view kCardFolderName = "Pexilor/Tessal";

struct DriveEntry {
    std::string root;      // as the platform lists it, ending in the path separator
    std::string folder;    // root and card folder name in the system's separators
    bool present = false;  // the card folder was found at the last presence test
};

struct RemovableDriveTable {
    static constexpr int kCapacity = 32;
    int count = 0;
    std::array<DriveEntry, kCapacity> entries;
};

using DriveRootLister = std::function<std::vector<std::string>()>;
using FolderPresenceTest = std::function<bool(const std::string& folder)>;

// Rebuilds the table from the current drive list; a drive that stays listed keeps its present
// flag, a new one starts absent. Without a table only the count is returned; without a folder
// name an entry's folder is its root. At most kCapacity drives are taken.
int RescanDrives(RemovableDriveTable* table, std::optional<std::string_view> folderName,
                 const DriveRootLister& listRoots = ListRemovableDriveRoots);

// Tests the entries in table order and returns the folder of the first one that was absent and
// is present now; the entries behind it are tested at the next call.
std::optional<std::filesystem::path> FindNewCardFolder(
    RemovableDriveTable& table, const FolderPresenceTest& isPresent = IsFolderPresent);

}  // namespace zep
