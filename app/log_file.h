#pragma once
// The log file "zepimport.log" of the program folder: every line of both panes as shown,
// without colour codes, each with the date and time and a mark for its pane ("U" upper, "L"
// lower), in UTF-8. Lines are written on a thread of the log's own as they come, so they reach
// the system within moments and survive a crash of the program, and are flushed to the disk
// within a second, so a crash of the system costs at most that second; a disk that stalls never
// holds up the window or a worker. At 1 MiB the file is renamed "zepimport.log.1" (the older ones
// move up to ".5", the oldest goes) and a new one begins. A log that cannot be written is
// reported once, and the program goes on without it.
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/log_sink.h"
#include "core/clock.h"
#include "platform/append_file.h"

namespace zep {

inline constexpr const char* kLogFileName = "zepimport.log";

struct LogLimits {
    std::uint64_t bytes = 1ull << 20;  // a file is rotated before it would grow past this
    int kept = 5;                      // zepimport.log.1 ... .5
    std::size_t queued = 20000;        // lines waiting for the disk; more are counted, not kept
};

// One line of the file, its end included: "2026-12-07 08:00:00 U Сеанс связи начат ...".
std::string LogFileLine(const std::string& stamp, Pane pane, std::string_view line);

// The file and its rotation, written by one thread.
class RotatingLog {
public:
    RotatingLog(std::filesystem::path file, LogLimits limits);

    // Appends whole lines, rotating between two of them when the next would pass the limit.
    // False when a line could not be written (the rest of them is not tried).
    bool Append(const std::vector<std::string>& lines);
    // Flushes what was appended to the disk. False when it may not be there.
    bool Sync();

private:
    bool Write(const std::string& text);
    bool Open();
    bool Rotate();
    std::filesystem::path Kept(int k) const;

    std::filesystem::path m_file;
    LogLimits m_limits;
    std::optional<AppendFile> m_out;
    std::uint64_t m_size = 0;
};

class LogFile final : public LogSink {
public:
    LogFile(const std::filesystem::path& folder, Clock& clock, LogLimits limits = {});
    // Writes what is waiting, then ends its thread.
    ~LogFile() override;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    void Add(Pane pane, std::string_view line) override;
    std::optional<std::string> TakeFailureLine() override;
    // Returns once every line added so far has been written or given up.
    void Flush();

private:
    void Run();

    std::filesystem::path m_path;
    Clock& m_clock;
    LogLimits m_limits;
    RotatingLog m_log;  // the thread's alone
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_waiting;
    std::size_t m_dropped = 0;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_failed = false;
    bool m_failureShown = false;
    std::thread m_thread;  // last: started once everything it uses exists
};

}  // namespace zep
