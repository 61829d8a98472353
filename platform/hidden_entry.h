#pragma once
// Entries of a folder that the system hides from its user. A card's hidden entries belong to no
// device (an index the system keeps, a file set aside), so the card import and its preview pass
// them over.
#include <filesystem>

namespace zep {

// A name that begins with a dot, on every system; on Windows also an entry with the hidden
// attribute. An entry that cannot be asked counts as not hidden: what it is, is judged later.
bool IsHiddenEntry(const std::filesystem::path& entry);

}  // namespace zep
