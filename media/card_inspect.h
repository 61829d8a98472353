#pragma once
// A readable account of a card database for the inspection command: header, index entries with
// their flags, the check of each record and its title strings.
#include <filesystem>
#include <ostream>

namespace zep {

// False (and nothing written) when the file is not a card database: it cannot be opened, is
// shorter than the header or lacks the signature. A damaged database is described with the
// reason its loading failed.
bool DescribeCardDatabase(const std::filesystem::path& path, std::ostream& out);

}  // namespace zep
