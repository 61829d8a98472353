// Child processes by CreateProcessW: one named pipe as the channel (the child's end as its
// standard input and output, overlapped reads and writes on this end, so that every wait has a
// time-out), and a job object that ends the child when this process's handles close, however
// this process ends.
#include <algorithm>
#include <atomic>
#include <string>

#include "platform/child_process.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

std::string LastErrorText(const char* what) {
    return std::string(what) + ": Windows error " + std::to_string(GetLastError());
}

void CloseIfOpen(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    handle = nullptr;
}

DWORD Milliseconds(std::chrono::milliseconds wait) {
    return static_cast<DWORD>(std::clamp<long long>(wait.count(), 0, 0x7FFFFFFF));
}

// A name no other pipe of this or another process has.
std::wstring UniquePipeName() {
    static std::atomic<unsigned> counter{0};
    return L"\\\\.\\pipe\\zepimport-host-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L"-" + std::to_wstring(GetTickCount64());
}

// The command line as CommandLineToArgvW takes it apart again.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

HANDLE NewJobThatKillsOnClose() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

}  // namespace

struct ChildProcess::Parts {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    HANDLE pipe = nullptr;
    HANDLE readDone = nullptr;
    HANDLE writeDone = nullptr;

    ~Parts() {
        Kill();
        CloseIfOpen(pipe);
        CloseIfOpen(readDone);
        CloseIfOpen(writeDone);
        CloseIfOpen(job);
    }
    void Kill() {
        if (process != nullptr) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 10000);
            CloseIfOpen(process);
        }
    }
    // Runs one overlapped transfer to its end, cancelling it when the wait runs out; the bytes
    // moved before the cancel count.
    ChannelRead Finish(BOOL started, OVERLAPPED& overlapped, DWORD wait) {
        DWORD moved = 0;
        if (!started && GetLastError() != ERROR_IO_PENDING) {
            return {ChannelState::Closed, 0};
        }
        if (WaitForSingleObject(overlapped.hEvent, wait) != WAIT_OBJECT_0) {
            CancelIoEx(pipe, &overlapped);
        }
        if (GetOverlappedResult(pipe, &overlapped, &moved, TRUE)) {
            return {moved > 0 ? ChannelState::Ready : ChannelState::TimedOut, moved};
        }
        const DWORD error = GetLastError();
        return {error == ERROR_OPERATION_ABORTED ? ChannelState::TimedOut : ChannelState::Closed,
                0};
    }
};

ChildProcess::ChildProcess(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}
ChildProcess::ChildProcess(ChildProcess&& other) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept = default;
ChildProcess::~ChildProcess() = default;

std::optional<ChildProcess> ChildProcess::Start(const std::filesystem::path& program,
                                                const std::vector<std::string>& arguments,
                                                std::string& reason) {
    auto parts = std::make_unique<Parts>();
    const std::wstring name = UniquePipeName();
    parts->pipe = CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 65536,
        65536, 0, nullptr);
    parts->readDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    parts->writeDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    parts->job = NewJobThatKillsOnClose();
    if (parts->pipe == INVALID_HANDLE_VALUE || parts->readDone == nullptr ||
        parts->writeDone == nullptr || parts->job == nullptr) {
        reason = LastErrorText("pipe");
        return std::nullopt;
    }
    // The child's ends, inherited by it alone and closed here once it runs.
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE input = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited,
                               OPEN_EXISTING, 0, nullptr);
    HANDLE output = nullptr;
    HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    if (input != INVALID_HANDLE_VALUE) {
        DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &output, 0, TRUE,
                        DUPLICATE_SAME_ACCESS);
    }
    std::wstring line = Quoted(program.native());
    for (const auto& argument : arguments) {
        line += L" " + Quoted(Wide(argument));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION info{};
    const bool started =
        input != INVALID_HANDLE_VALUE && output != nullptr && nowhere != INVALID_HANDLE_VALUE &&
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    if (!started) {
        reason = LastErrorText("CreateProcess");
    }
    CloseIfOpen(input);
    CloseIfOpen(output);
    CloseIfOpen(nowhere);
    if (!started) {
        return std::nullopt;
    }
    parts->process = info.hProcess;
    // In the job before it runs a single instruction: nothing it starts escapes either.
    AssignProcessToJobObject(parts->job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return ChildProcess(std::move(parts));
}

ChannelState ChildProcess::Write(std::span<const std::uint8_t> bytes,
                                 std::chrono::milliseconds wait) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(Milliseconds(wait));
    while (!bytes.empty()) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_parts->writeDone;
        ResetEvent(overlapped.hEvent);
        const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        const BOOL started = WriteFile(m_parts->pipe, bytes.data(), size, nullptr, &overlapped);
        const ULONGLONG now = GetTickCount64();
        const ChannelRead moved = m_parts->Finish(
            started, overlapped, now >= deadline ? 0 : static_cast<DWORD>(deadline - now));
        if (moved.state != ChannelState::Ready) {
            return moved.state;
        }
        bytes = bytes.subspan(moved.count);
    }
    return ChannelState::Ready;
}

ChannelRead ChildProcess::Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_parts->readDone;
    ResetEvent(overlapped.hEvent);
    const auto size = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1 << 30));
    const BOOL started = ReadFile(m_parts->pipe, into.data(), size, nullptr, &overlapped);
    return m_parts->Finish(started, overlapped, Milliseconds(wait));
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds wait) {
    if (m_parts->process == nullptr) {
        return true;
    }
    if (WaitForSingleObject(m_parts->process, Milliseconds(wait)) != WAIT_OBJECT_0) {
        return false;
    }
    CloseIfOpen(m_parts->process);
    return true;
}

void ChildProcess::Kill() {
    m_parts->Kill();
}

}  // namespace zep
