#pragma once
// A readable account of a card database for the inspection command: header, index entries with
// their flags, the check of each record and its title strings.
#include <filesystem>
#include <ostream>

namespace zep {

enum class CardDescription {
    NotADatabase,  // nothing written: cannot be opened, shorter than the header, no signature
    Usable,        // loads and has the version this program imports
    Unusable,      // described with the reason it would not be imported (damage, version)
};

CardDescription DescribeCardDatabase(const std::filesystem::path& path, std::ostream& out);

}  // namespace zep
