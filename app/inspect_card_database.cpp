// The inspection of a card database: recognised by its signature, described by the media layer.
#include <cstring>

#include "app/inspect_kinds.h"
#include "media/card_inspect.h"

namespace zep {

namespace {

constexpr std::size_t kCardHeaderSize = 72;
constexpr std::size_t kCardSignatureOffset = 64;

bool Recognizes(const std::filesystem::path&, std::span<const std::uint8_t> content) {
    return content.size() >= kCardHeaderSize &&
           std::memcmp(content.data() + kCardSignatureOffset, "Tess", 4) == 0;
}

bool Inspect(const std::filesystem::path& file, std::span<const std::uint8_t>, std::ostream& out) {
    // A database the import would not take fails the run like a damaged archive.
    return DescribeCardDatabase(file, out) == CardDescription::Usable;
}

}  // namespace

FileInspector CardDatabaseInspector() {
    return {"card database", &Recognizes, &Inspect};
}

}  // namespace zep
