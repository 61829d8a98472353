// The child's end of the channel: the pipe it was given as standard input and output, taken
// over before the standard streams are pointed at NUL, and no error box for a crash.
#include <algorithm>
#include <cstdio>

#include "platform/parent_channel.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

void PointStandardStreamsNowhere() {
    const HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    for (DWORD stream : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        SetStdHandle(stream, nowhere);
    }
    // The runtime's streams wrap the old handles; reopening closes those (the pipe's other
    // handles, never the one taken over).
    (void)!std::freopen("NUL", "r", stdin);
    (void)!std::freopen("NUL", "w", stdout);
    (void)!std::freopen("NUL", "w", stderr);
}

}  // namespace

std::optional<ParentChannel> ParentChannel::Take() {
    const HANDLE given = GetStdHandle(STD_INPUT_HANDLE);
    if (given == nullptr || given == INVALID_HANDLE_VALUE || GetFileType(given) != FILE_TYPE_PIPE) {
        return std::nullopt;
    }
    HANDLE own = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), given, GetCurrentProcess(), &own, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return std::nullopt;
    }
    PointStandardStreamsNowhere();
    // A crash ends the process at once, without an error box nobody would answer; the parent
    // sees the channel close.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    return ParentChannel(reinterpret_cast<std::intptr_t>(own));
}

std::size_t ParentChannel::Read(std::span<std::uint8_t> into) {
    DWORD got = 0;
    const auto size = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1 << 30));
    if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), into.data(), size, &got, nullptr)) {
        return 0;
    }
    return got;
}

bool ParentChannel::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (!WriteFile(reinterpret_cast<HANDLE>(m_handle), bytes.data(), size, &written, nullptr) ||
            written == 0) {
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

}  // namespace zep
