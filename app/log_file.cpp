// The log file of the program folder: lines stamped on the controller's thread, written and
// rotated on the log's own thread.
#include "app/log_file.h"

#include <chrono>
#include <utility>

#include "app/log_text.h"
#include "app/visible_text.h"
#include "core/path_text.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"
#include "platform/time_base.h"

namespace zep {

namespace fs = std::filesystem;

namespace {

constexpr const char* kStampPattern = "%Y-%m-%d %H:%M:%S";
constexpr std::chrono::seconds kSyncInterval{1};

std::string NotWrittenLine(const fs::path& file) {
    return "$04Журнал не записывается в файл '" + PathToUtf8(file) + "'.";
}

}  // namespace

std::string LogFileLine(const std::string& stamp, Pane pane, std::string_view line) {
    std::string text = stamp + (pane == Pane::Upper ? " U" : " L");
    if (!line.empty()) {
        text += " " + ShowControlCharacters(StripColourCodes(line));
    }
    return text + "\n";
}

// --- RotatingLog ----------------------------------------------------------------------------

RotatingLog::RotatingLog(fs::path file, LogLimits limits)
    : m_file(std::move(file)), m_limits(limits) {}

bool RotatingLog::Append(const std::vector<std::string>& lines) {
    // The size of a log continued from an earlier run counts from the start.
    if (!m_out && !Open()) {
        return false;
    }
    std::string chunk;
    for (const auto& line : lines) {
        if (m_size + chunk.size() + line.size() > m_limits.bytes && m_size + chunk.size() > 0) {
            if (!Write(chunk) || !Rotate()) {
                return false;
            }
            chunk.clear();
        }
        chunk += line;
    }
    return Write(chunk);
}

bool RotatingLog::Write(const std::string& text) {
    if (text.empty()) {
        return true;
    }
    if (!m_out && !Open()) {
        return false;
    }
    if (!m_out->Append({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()})) {
        // Opened afresh next time: the file may have been replaced or the disk freed.
        m_out.reset();
        return false;
    }
    m_size += text.size();
    return true;
}

// An existing log is continued; a missing one is made as every output is, never through a
// link, and only a plain file is written.
bool RotatingLog::Open() {
    FileProbe probe = ProbeFile(m_file);
    if (probe.kind == FileKind::Missing) {
        if (auto empty = PendingFile::Create(m_file.parent_path())) {
            empty->Publish(m_file);
        }
        probe = ProbeFile(m_file);
    }
    if (probe.kind != FileKind::Regular) {
        return false;
    }
    m_out = AppendFile::Open(m_file);
    m_size = probe.size;
    return m_out.has_value();
}

bool RotatingLog::Rotate() {
    m_out.reset();
    RemoveFile(Kept(m_limits.kept));
    for (int k = m_limits.kept - 1; k >= 1; --k) {
        MoveRegularFileNumbered(
            Kept(k), [&](int) { return Kept(k + 1); }, {}, 1);
    }
    // The log itself must make way; a log that cannot would grow without end.
    if (!MoveRegularFileNumbered(
            m_file, [&](int) { return Kept(1); }, {}, 1)) {
        return false;
    }
    m_size = 0;
    return true;
}

bool RotatingLog::Sync() {
    return !m_out || m_out->Flush();
}

fs::path RotatingLog::Kept(int k) const {
    fs::path name = m_file;
    name += "." + std::to_string(k);
    return name;
}

// --- LogFile --------------------------------------------------------------------------------

LogFile::LogFile(const fs::path& folder, Clock& clock, LogLimits limits)
    : m_path(folder / kLogFileName),
      m_clock(clock),
      m_limits(limits),
      m_log(m_path, limits),
      m_thread([this] { Run(); }) {}

LogFile::~LogFile() {
    {
        std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void LogFile::Add(Pane pane, std::string_view line) {
    std::string text = LogFileLine(FormatLocalTime(m_clock.Now(), kStampPattern), pane, line);
    {
        std::lock_guard guard(m_mutex);
        if (m_waiting.size() >= m_limits.queued) {
            ++m_dropped;
            return;
        }
        m_waiting.push_back(std::move(text));
    }
    m_changed.notify_all();
}

std::optional<std::string> LogFile::TakeFailureLine() {
    std::lock_guard guard(m_mutex);
    if (!m_failed || std::exchange(m_failureShown, true)) {
        return std::nullopt;
    }
    return NotWrittenLine(m_path);
}

void LogFile::Flush() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.empty() && !m_writing; });
}

// Lines are written as they come, so a crash of the program loses none; they are flushed to
// the disk at most a second after they were written, so a crash of the system loses no more
// than that second.
void LogFile::Run() {
    using std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    bool unsynced = false;
    steady_clock::time_point syncDue = steady_clock::now();
    const auto ready = [this] { return !m_waiting.empty() || m_stopping; };
    while (true) {
        if (unsynced) {
            m_changed.wait_until(lock, syncDue, ready);
        } else {
            m_changed.wait(lock, ready);
        }
        std::vector<std::string> lines;
        lines.swap(m_waiting);
        if (const std::size_t dropped = std::exchange(m_dropped, 0)) {
            lines.push_back(
                LogFileLine(FormatLocalTime(m_clock.Now(), kStampPattern), Pane::Upper,
                            "(строк журнала пропущено: " + std::to_string(dropped) + ")"));
        }
        const bool stopping = m_stopping;
        m_writing = true;
        lock.unlock();
        bool written = lines.empty() || m_log.Append(lines);
        unsynced = unsynced || !lines.empty();
        if (unsynced && (stopping || steady_clock::now() >= syncDue)) {
            written = m_log.Sync() && written;
            unsynced = false;
            syncDue = steady_clock::now() + kSyncInterval;
        }
        lock.lock();
        m_writing = false;
        m_failed = m_failed || !written;
        m_changed.notify_all();
        if (stopping && m_waiting.empty()) {
            return;
        }
    }
}

}  // namespace zep
