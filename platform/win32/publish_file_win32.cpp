// Output files written under a temporary name, flushed (FlushFileBuffers) and then moved to
// their final name by a rename that never replaces an existing file and is itself written
// through to disk before it returns.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "platform/publish_file.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kTempPrefix = L".zepimport-";
constexpr const wchar_t* kTempSuffix = L".tmp";
constexpr int kTempNameAttempts = 1000;

std::atomic<unsigned> g_tempCounter{0};

fs::path TempName(const fs::path& folder) {
    return folder / (kTempPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(g_tempCounter.fetch_add(1)) + L"-" +
                     std::to_wstring(GetTickCount()) + kTempSuffix);
}

// Flushes a closed file's data through a fresh handle.
bool FlushClosedFile(const fs::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

bool NameTaken(DWORD error) {
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

}  // namespace

std::optional<PendingFile> PendingFile::Create(const fs::path& folder) {
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        const fs::path name = TempName(folder);
        int fd = -1;
        const errno_t error =
            _wsopen_s(&fd, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                      _SH_DENYWR, _S_IREAD | _S_IWRITE);
        if (error == 0) {
            return PendingFile(fd, name);
        }
        if (error != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

PendingFile::PendingFile(int fd, fs::path tempPath) : m_fd(fd), m_tempPath(std::move(tempPath)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : m_fd(other.m_fd),
      m_tempPath(std::move(other.m_tempPath)),
      m_flushed(other.m_flushed),
      m_published(other.m_published) {
    other.m_fd = -1;
    other.m_tempPath.clear();
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
    if (this != &other) {
        Discard();
        m_fd = other.m_fd;
        m_tempPath = std::move(other.m_tempPath);
        m_flushed = other.m_flushed;
        m_published = other.m_published;
        other.m_fd = -1;
        other.m_tempPath.clear();
    }
    return *this;
}

PendingFile::~PendingFile() {
    Discard();
}

void PendingFile::Discard() {
    if (m_fd >= 0) {
        _close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        DeleteFileW(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

std::size_t PendingFile::Write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, INT_MAX));
        const int n = _write(m_fd, bytes.data() + done, chunk);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t PendingFile::Write(std::string_view text) {
    return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool PendingFile::Finish() {
    if (m_fd < 0) {
        return !m_tempPath.empty();
    }
    const int fd = m_fd;
    m_fd = -1;
    return _close(fd) == 0;
}

bool FlushFileSystem(const fs::path& folder) {
    // Published names are on disk already (every rename here is written through), and so are
    // the contents under them; what may still sit in the cache are the temporaries, all ours.
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = std::wstring(kTempPrefix) + L"*" + kTempSuffix;
    const HANDLE search = FindFirstFileW((folder / pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    bool flushed = true;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            flushed = FlushClosedFile(folder / found.cFileName) && flushed;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return flushed;
}

PublishResult PendingFile::Publish(const fs::path& finalPath) {
    if (m_tempPath.empty() || m_published) {
        return PublishResult::Failed;
    }
    // An open file cannot be renamed; its data are flushed before the descriptor goes.
    if (m_fd >= 0) {
        const bool flushed = m_flushed || _commit(m_fd) == 0;
        _close(m_fd);
        m_fd = -1;
        if (!flushed) {
            return PublishResult::Failed;
        }
        m_flushed = true;
    }
    if (!m_flushed) {
        if (!FlushClosedFile(m_tempPath)) {
            return PublishResult::Failed;
        }
        m_flushed = true;
    }
    if (!MoveFileExW(m_tempPath.c_str(), finalPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return NameTaken(GetLastError()) ? PublishResult::NameTaken : PublishResult::Failed;
    }
    m_published = true;
    m_tempPath.clear();
    return PublishResult::Published;
}

PublishResult PendingFile::Replace(const fs::path& finalPath) {
    if (m_tempPath.empty() || m_published) {
        return PublishResult::Failed;
    }
    if (m_fd >= 0) {
        const bool flushed = m_flushed || _commit(m_fd) == 0;
        _close(m_fd);
        m_fd = -1;
        if (!flushed) {
            return PublishResult::Failed;
        }
        m_flushed = true;
    }
    if (!m_flushed && !FlushClosedFile(m_tempPath)) {
        return PublishResult::Failed;
    }
    m_flushed = true;
    if (!MoveFileExW(m_tempPath.c_str(), finalPath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return PublishResult::Failed;
    }
    m_published = true;
    m_tempPath.clear();
    return PublishResult::Published;
}

std::optional<fs::path> PublishNumbered(PendingFile& file,
                                        const std::function<fs::path(int)>& nameFor,
                                        int maxAttempts) {
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        switch (file.Publish(name)) {
            case PublishResult::Published:
                return name;
            case PublishResult::NameTaken:
                continue;
            case PublishResult::Failed:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

namespace {

// Copies a file's content into a pending file in the target folder.
std::optional<PendingFile> CopyToPending(const fs::path& source, const fs::path& folder) {
    const HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    auto pending = PendingFile::Create(folder);
    std::vector<std::uint8_t> buffer(1 << 16);
    bool ok = pending.has_value();
    while (ok) {
        DWORD n = 0;
        if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
            ok = false;
            break;
        }
        if (n == 0) {
            break;
        }
        ok = pending->Write(std::span(buffer.data(), n)) == n;
    }
    CloseHandle(in);
    if (!ok) {
        return std::nullopt;
    }
    return pending;
}

}  // namespace

std::optional<fs::path> MoveNumbered(const fs::path& source,
                                     const std::function<fs::path(int)>& nameFor, int maxAttempts) {
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const fs::path name = nameFor(attempt);
        if (MoveFileExW(source.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return name;
        }
        const DWORD error = GetLastError();
        if (NameTaken(error)) {
            continue;
        }
        if (error != ERROR_NOT_SAME_DEVICE) {
            return std::nullopt;
        }
        // Another volume: copy, publish, then remove, so no reader sees a partial file.
        auto pending = CopyToPending(source, name.parent_path());
        if (!pending) {
            return std::nullopt;
        }
        auto published = PublishNumbered(*pending, nameFor, maxAttempts);
        if (published) {
            DeleteFileW(source.c_str());
        }
        return published;
    }
    return std::nullopt;
}

}  // namespace zep
