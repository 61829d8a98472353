// What GetLastError codes mean for the log, and the system's words for a code: FormatMessageW
// in the user's language for the system's codes, the runtime's strerror_s for errno values.
#include <string.h>

#include <string>

#include "core/utf8_text.h"
#include "platform/system_error_calls.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

// The system's messages end in a full stop and a line break; the log line ends without them.
std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

std::string MessageOf(DWORD code) {
    wchar_t* buffer = nullptr;
    // Language 0: the thread's, then the user's, then the system's language.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return {};
    }
    std::string text = Narrow(std::wstring_view(buffer, length));
    LocalFree(buffer);
    return Trimmed(std::move(text));
}

}  // namespace

SystemError FromErrorCode(const std::error_code& error) {
    if (!error) {
        return {};
    }
    if (error.category() == std::system_category()) {
        return WindowsError(static_cast<std::uint32_t>(error.value()));
    }
    return ErrnoError(error.value());
}

FailureKind WindowsFailureKind(std::uint32_t code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
        case ERROR_NETWORK_ACCESS_DENIED:
            return FailureKind::NoAccess;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return FailureKind::NotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_BUSY:
            return FailureKind::Busy;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FailureKind::NoSpace;
        case ERROR_WRITE_PROTECT:
            return FailureKind::ReadOnly;
        case ERROR_NOT_READY:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_REMOVED:
            return FailureKind::DeviceGone;
        case ERROR_IO_DEVICE:
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_SECTOR_NOT_FOUND:
            return FailureKind::InputOutput;
        default:
            return FailureKind::Other;
    }
}

std::string SystemText(const SystemError& error) {
    switch (error.system) {
        case ErrorSystem::Windows:
            return MessageOf(error.code);
        case ErrorSystem::Errno: {
            char buffer[256] = {};
            return strerror_s(buffer, sizeof buffer, static_cast<int>(error.code)) == 0
                       ? std::string(buffer)
                       : std::string();
        }
        case ErrorSystem::None:
            break;
    }
    return {};
}

}  // namespace zep
