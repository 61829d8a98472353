// Publishing on Windows: the temporary is created new and unshared, flushed with
// FlushFileBuffers, and moved to its final name with MoveFileExW, which never replaces an
// existing file unless told to and, written through, has the new name on disk when it returns.
#include <algorithm>
#include <atomic>
#include <climits>
#include <string>
#include <vector>

#include "core/utf8_text.h"
#include "platform/file_calls.h"
#include "platform/publish_batch.h"
#include "platform/publish_file.h"
#include "platform/publish_move.h"
#include "platform/temporary_names.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

// A call a test's gate refuses fails as a failing disk would fail it.
bool Gate(FileCall call, const fs::path& path) {
    if (FileCallAllowed(call, path)) {
        return true;
    }
    SetLastError(ERROR_WRITE_FAULT);
    return false;
}

SystemError LastError() {
    return WindowsError(GetLastError());
}

// Flushes a closed file's data through a fresh handle.
SystemDone FlushPath(const fs::path& path) {
    if (!Gate(FileCall::Flush, path)) {
        return LastError();
    }
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    const SystemDone flushed = FlushFileBuffers(file) ? SystemDone() : SystemDone(LastError());
    CloseHandle(file);
    return flushed;
}

}  // namespace

// The open file while it is written (none once finished), the temporary name while it is not
// published.
struct PendingFile::State {
    HANDLE file = INVALID_HANDLE_VALUE;
    fs::path tempPath;
    bool flushed = false;
    bool published = false;
    SystemError failure;  // of the last call that fell short

    ~State() {
        CloseFile();
        if (!tempPath.empty()) {
            DeleteFileW(tempPath.c_str());
        }
    }
    bool CloseFile() {
        if (file == INVALID_HANDLE_VALUE) {
            return true;
        }
        const HANDLE closing = file;
        file = INVALID_HANDLE_VALUE;
        return CloseHandle(closing) != 0 || Failed();
    }
    // Keeps the reason of the call that just failed; always false, for it to return.
    bool Failed() {
        failure = LastError();
        return false;
    }
    // Flushes the content once. An open file is flushed and closed (a file cannot be renamed
    // while it is open); a finished one through a fresh handle.
    bool FlushContent() {
        if (file != INVALID_HANDLE_VALUE) {
            const bool done = flushed ||
                              (Gate(FileCall::Flush, tempPath) && FlushFileBuffers(file) != 0) ||
                              Failed();
            flushed = CloseFile() && done;
        } else if (!flushed) {
            const SystemDone done = FlushPath(tempPath);
            failure = done.Error();
            flushed = static_cast<bool>(done);
        }
        return flushed;
    }
};

namespace {

constexpr const wchar_t* kTempPrefix = L".zepimport-";  // with or without a tag after it
constexpr const wchar_t* kTempSuffix = L".tmp";
constexpr int kTempNameAttempts = 1000;

std::atomic<unsigned> g_tempCounter{0};

fs::path TempName(const fs::path& folder) {
    return folder / (Widen(TemporaryNamePrefix()) + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(g_tempCounter.fetch_add(1)) + L"-" +
                     std::to_wstring(GetTickCount()) + kTempSuffix);
}

bool NameTaken(DWORD error) {
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

}  // namespace

SystemResult<PendingFile> PendingFile::Create(const fs::path& folder) {
    if (!Gate(FileCall::Create, folder)) {
        return LastError();
    }
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        auto state = std::make_unique<State>();
        const fs::path name = TempName(folder);
        state->file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (state->file != INVALID_HANDLE_VALUE) {
            state->tempPath = name;
            return PendingFile(std::move(state));
        }
        if (!NameTaken(GetLastError())) {
            return LastError();
        }
    }
    return LastError();
}

PendingFile::PendingFile(std::unique_ptr<State> state) : m_state(std::move(state)) {}
PendingFile::PendingFile(PendingFile&& other) noexcept = default;
PendingFile& PendingFile::operator=(PendingFile&& other) noexcept = default;
PendingFile::~PendingFile() = default;

fs::path PendingFile::TemporaryPath() const {
    return m_state ? m_state->tempPath : fs::path();
}

SystemError PendingFile::Failure() const {
    return m_state ? m_state->failure : SystemError{};
}

std::size_t PendingFile::Write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (m_state && m_state->file != INVALID_HANDLE_VALUE && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, INT_MAX));
        DWORD written = 0;
        if (!Gate(FileCall::Write, m_state->tempPath) ||
            !WriteFile(m_state->file, bytes.data() + done, chunk, &written, nullptr)) {
            m_state->Failed();
            break;
        }
        if (written == 0) {
            break;
        }
        done += written;
    }
    return done;
}

std::size_t PendingFile::Write(std::span<const std::span<const std::uint8_t>> pieces) {
    // The file is written through the system's cache; one call per piece costs little more
    // than a gathered write would.
    std::size_t done = 0;
    for (const auto& piece : pieces) {
        const std::size_t written = Write(piece);
        done += written;
        if (written != piece.size()) {
            break;
        }
    }
    return done;
}

bool PendingFile::Finish() {
    return m_state && !m_state->tempPath.empty() && m_state->CloseFile();
}

SystemDone FlushFileSystem(const fs::path& folder) {
    if (!Gate(FileCall::Flush, folder)) {
        return LastError();
    }
    // Published names are on disk already (every rename here is written through), and so are
    // the contents under them; what may still sit in the cache are the temporaries, all ours.
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = std::wstring(kTempPrefix) + L"*" + kTempSuffix;
    const HANDLE search = FindFirstFileW((folder / pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? SystemDone() : SystemDone(LastError());
    }
    SystemDone flushed;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            if (auto done = FlushPath(folder / found.cFileName); !done) {
                flushed = done;
            }
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return flushed;
}

SystemDone FlushFolder(const fs::path& folder) {
    if (!Gate(FileCall::Flush, folder)) {
        return LastError();
    }
    const HANDLE directory = CreateFileW(
        folder.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    CloseHandle(directory);
    // The names published here were written through by their renames. A folder's own entries
    // can be flushed only by a writer of the folder, which Windows grants to administrators;
    // where that is refused the written-through renames are what there is.
    const HANDLE writable = CreateFileW(
        folder.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (writable != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(writable);
        CloseHandle(writable);
    }
    return {};
}

bool PublishBatch::FlushContents() {
    // Windows flushes a whole volume for administrators only, so each file is flushed on its own.
    bool flushed = true;
    for (auto& file : m_files) {
        if (file.m_state && !file.m_state->tempPath.empty()) {
            flushed = file.m_state->FlushContent() && flushed;
        }
    }
    return flushed;
}

PublishResult PendingFile::Publish(const fs::path& finalPath) {
    if (!m_state || m_state->tempPath.empty() || m_state->published) {
        return PublishResult::Failed;
    }
    State& state = *m_state;
    if (!state.FlushContent()) {
        return PublishResult::Failed;
    }
    if (!Gate(FileCall::Link, finalPath) ||
        !MoveFileExW(state.tempPath.c_str(), finalPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
        if (NameTaken(GetLastError())) {
            return PublishResult::NameTaken;
        }
        state.Failed();
        return PublishResult::Failed;
    }
    state.published = true;
    state.tempPath.clear();
    return PublishResult::Published;
}

PublishResult PendingFile::Replace(const fs::path& finalPath) {
    if (!m_state || m_state->tempPath.empty() || m_state->published) {
        return PublishResult::Failed;
    }
    State& state = *m_state;
    if (!state.FlushContent()) {
        return PublishResult::Failed;
    }
    if (!Gate(FileCall::Link, finalPath) ||
        !MoveFileExW(state.tempPath.c_str(), finalPath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        state.Failed();
        return PublishResult::Failed;
    }
    state.published = true;
    state.tempPath.clear();
    return PublishResult::Published;
}

MoveStep MoveInOneStep(const fs::path& source, const fs::path& name) {
    if (MoveFileExW(source.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return {MoveOutcome::Moved, {}};
    }
    const DWORD error = GetLastError();
    if (NameTaken(error)) {
        return {MoveOutcome::NameTaken, {}};
    }
    if (error == ERROR_NOT_SAME_DEVICE) {
        return {MoveOutcome::OtherVolume, {}};
    }
    return {MoveOutcome::Failed, WindowsError(error)};
}

SystemDone RemoveFile(const fs::path& path) {
    if (!Gate(FileCall::Remove, path) || !DeleteFileW(path.c_str())) {
        return LastError();
    }
    return {};
}

}  // namespace zep
