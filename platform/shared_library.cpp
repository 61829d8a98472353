// The driver library handle's ownership, handed on by moving and closed at the end, and the
// test of a file name's library suffix; loading and looking up are the backend's.
#include "platform/shared_library.h"

#include <cctype>

namespace zep {

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : m_handle(other.m_handle) {
    other.m_handle = nullptr;
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        m_handle = other.m_handle;
        other.m_handle = nullptr;
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    Close();
}

bool HasSharedLibrarySuffix(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    const std::string_view ending = fileName.substr(dot);
    const std::string_view suffix = SharedLibrarySuffix();
    if (ending.size() != suffix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < ending.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(ending[i])) !=
            std::tolower(static_cast<unsigned char>(suffix[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace zep
