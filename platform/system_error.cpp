// The reason of a failed system call in the log's words: the one home of those words, and the
// meaning of the errno values every C library names alike.
#include "platform/system_error.h"

#include <cerrno>

#include "core/path_text.h"
#include "core/worker_report.h"
#include "platform/system_error_calls.h"

namespace zep {

namespace {

constexpr std::string_view kReasonPrefix = "$04Причина: ";

FailureKind ErrnoKind(std::uint32_t code) {
    switch (static_cast<int>(code)) {
        case EACCES:
        case EPERM:
            return FailureKind::NoAccess;
        case ENOENT:
        case ENOTDIR:
            return FailureKind::NotFound;
        case EBUSY:
        case ETXTBSY:
            return FailureKind::Busy;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return FailureKind::NoSpace;
        case EROFS:
            return FailureKind::ReadOnly;
        case ENODEV:
        case ENXIO:
            return FailureKind::DeviceGone;
        case EIO:
            return FailureKind::InputOutput;
        default:
            return FailureKind::Other;
    }
}

std::string_view Words(FailureKind kind) {
    switch (kind) {
        case FailureKind::NoAccess:
            return "нет доступа";
        case FailureKind::NotFound:
            return "нет такого файла или папки";
        case FailureKind::Busy:
            return "занято другой программой";
        case FailureKind::NoSpace:
            return "нет места на диске";
        case FailureKind::ReadOnly:
            return "носитель или файловая система только для чтения";
        case FailureKind::DeviceGone:
            return "устройство отключено";
        case FailureKind::InputOutput:
            return "ошибка ввода-вывода (сбой диска или носителя)";
        case FailureKind::Other:
            break;
    }
    return {};
}

void LogReason(WorkerReport& report, const SystemError& error, const std::filesystem::path& subject,
               bool lower) {
    auto line = ReasonLine(error, PathToUtf8(subject));
    if (!line) {
        return;
    }
    if (lower) {
        report.LogLower(std::move(*line));
    } else {
        report.LogUpper(std::move(*line));
    }
}

}  // namespace

FailureKind KindOf(const SystemError& error) {
    switch (error.system) {
        case ErrorSystem::Errno:
            return ErrnoKind(error.code);
        case ErrorSystem::Windows:
            return WindowsFailureKind(error.code);
        case ErrorSystem::None:
            break;
    }
    return FailureKind::Other;
}

std::string ReasonText(const SystemError& error) {
    if (!error.Known()) {
        return {};
    }
    const std::string_view words = Words(KindOf(error));
    if (!words.empty()) {
        return std::string(words);
    }
    const std::string text = SystemText(error);
    return text.empty() ? "код ошибки " + std::to_string(error.code) : text;
}

std::optional<std::string> ReasonLine(const SystemError& error, std::string_view subject) {
    if (!error.Known()) {
        return std::nullopt;
    }
    return AsReasonLine(subject.empty() ? ReasonText(error)
                                        : std::string(subject) + ": " + ReasonText(error));
}

std::string AsReasonLine(std::string_view reason) {
    return std::string(kReasonPrefix) + std::string(reason);
}

void LogReasonUpper(WorkerReport& report, const SystemError& error,
                    const std::filesystem::path& subject) {
    LogReason(report, error, subject, false);
}

void LogReasonLower(WorkerReport& report, const SystemError& error,
                    const std::filesystem::path& subject) {
    LogReason(report, error, subject, true);
}

}  // namespace zep
