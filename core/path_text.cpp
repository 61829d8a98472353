// UTF-8 text to the native form of paths and back, leniently, in plain C++.
#include "core/path_text.h"

#include <type_traits>

#include "core/utf8_text.h"

namespace zep {

std::filesystem::path PathFromUtf8(std::string_view text) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        return std::filesystem::path(Widen(text));
    } else {
        return std::filesystem::path(std::string(text));
    }
}

std::string PathToUtf8(const std::filesystem::path& path) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        return Narrow(path.wstring());
    } else {
        return path.string();
    }
}

}  // namespace zep
