#pragma once
// Why a call into the system failed, as a value that travels up with the routine's result: the
// system's code and whose numbering it follows (errno of the C library, or GetLastError on
// Windows). The log says it in a line of its own right after the line of the failure, in the
// same pane and colour: Russian words for the common cases, the system's own text otherwise.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zep {

class WorkerReport;

enum class ErrorSystem : std::uint8_t {
    None,     // no code: the failure came from no system call, or the component cannot tell
    Errno,    // errno of the C library (on Windows that of its runtime)
    Windows,  // GetLastError
};

struct SystemError {
    ErrorSystem system = ErrorSystem::None;
    std::uint32_t code = 0;

    bool Known() const { return system != ErrorSystem::None; }
    bool operator==(const SystemError&) const = default;
};

inline SystemError ErrnoError(int code) {
    return {ErrorSystem::Errno, static_cast<std::uint32_t>(code)};
}
inline SystemError WindowsError(std::uint32_t code) {
    return {ErrorSystem::Windows, code};
}
// The code of the standard library's calls (std::filesystem): its generic codes are errno
// values, its system codes those of the system.
SystemError FromErrorCode(const std::error_code& error);

// The cases the log names in its own words.
enum class FailureKind {
    Other,
    NoAccess,
    NotFound,
    Busy,
    NoSpace,
    ReadOnly,
    DeviceGone,
    InputOutput
};
FailureKind KindOf(const SystemError& error);

// The reason in words: "нет места на диске", or the system's own text for a case without
// words of ours; empty for an unknown reason.
std::string ReasonText(const SystemError& error);
// "$04Причина: <subject>: <reason>" (without the subject when it is empty); nullopt when the
// reason is unknown, so a failure that no system call gave adds no line.
std::optional<std::string> ReasonLine(const SystemError& error, std::string_view subject = {});
// A reason already in words as the reason line: "$04Причина: <reason>".
std::string AsReasonLine(std::string_view reason);
// The reason line, if any, added to the upper or the lower pane after the failure line there;
// the subject is the file or folder the failed call concerned.
void LogReasonUpper(WorkerReport& report, const SystemError& error,
                    const std::filesystem::path& subject);
void LogReasonLower(WorkerReport& report, const SystemError& error,
                    const std::filesystem::path& subject);

}  // namespace zep
