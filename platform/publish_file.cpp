// What a pending file does the same on every system: text is written as its bytes.
#include "platform/publish_file.h"

namespace zep {

std::size_t PendingFile::Write(std::string_view text) {
    return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace zep
