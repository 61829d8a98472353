// The system's words for an errno value (strerror_r), and the standard library's codes, which
// are errno values here whatever their category.
#include <string.h>

#include "platform/system_error_calls.h"

namespace zep {

namespace {

// strerror_r comes in two shapes: the GNU one returns the text, the POSIX one fills the buffer.
std::string StrerrorText(const char* text, const char* /*buffer*/) {
    return text != nullptr ? text : "";
}
[[maybe_unused]] std::string StrerrorText(int result, const char* buffer) {
    return result == 0 ? buffer : "";
}

}  // namespace

SystemError FromErrorCode(const std::error_code& error) {
    return error ? ErrnoError(error.value()) : SystemError{};
}

FailureKind WindowsFailureKind(std::uint32_t /*code*/) {
    return FailureKind::Other;
}

std::string SystemText(const SystemError& error) {
    if (error.system != ErrorSystem::Errno) {
        return {};
    }
    char buffer[256] = {};
    return StrerrorText(strerror_r(static_cast<int>(error.code), buffer, sizeof buffer), buffer);
}

}  // namespace zep
