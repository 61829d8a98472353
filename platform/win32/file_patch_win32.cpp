// Bytes patched in place at their offsets and flushed with FlushFileBuffers.
#include "platform/file_patch.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

SystemError WriteBytes(HANDLE handle, std::span<const BytePatch> patches) {
    for (const BytePatch& patch : patches) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(patch.offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(patch.offset >> 32);
        DWORD written = 0;
        if (!WriteFile(handle, &patch.value, 1, &written, &at)) {
            return WindowsError(GetLastError());
        }
        if (written != 1) {
            return WindowsError(ERROR_WRITE_FAULT);
        }
    }
    return FlushFileBuffers(handle) ? SystemError{} : WindowsError(GetLastError());
}

}  // namespace

SystemDone PatchFileBytes(const std::filesystem::path& file, std::span<const BytePatch> patches) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return WindowsError(GetLastError());
    }
    SystemError failure = WriteBytes(handle, patches);
    if (!CloseHandle(handle) && !failure.Known()) {
        failure = WindowsError(GetLastError());
    }
    return failure.Known() ? SystemDone(failure) : SystemDone();
}

}  // namespace zep
