#pragma once
// Whether the poll may start a card import from a folder: the folder can be entered and read.
// Unlike making it the current directory, the test leaves nothing open, so the card's file
// system is not kept busy and the card can still be ejected safely.
#include <filesystem>

namespace zep {

bool CanEnterFolder(const std::filesystem::path& folder);

}  // namespace zep
