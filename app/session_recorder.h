#pragma once
// The folder "sessions" of the program folder: one recording per device session (the format:
// link/session_record.h, docs/recordings.md). A helper thread of its own writes the pieces a
// session hands over, so an exchange only ever appends to memory; a recording is published
// complete under its final name or not at all, like every other output, and the folder is
// kept within its bounds, the oldest recordings removed first. A recording that cannot be
// written is dropped with one log line; the session goes on as if nothing happened.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/worker_report.h"
#include "link/session_tape.h"

namespace zep {

inline constexpr const char* kSessionsFolder = "sessions";
inline constexpr const char* kRecordingExtension = ".zsr";

// "<%Y%m%d%H%M%S of the start>-<device>.zsr", "...-<device>-<attempt>.zsr" from attempt 1 on.
std::string RecordingName(const RecordingHeader& header, int attempt);
// Whether a file name is one that RecordingName gives.
bool IsRecordingName(const std::string& name);

class SessionRecorder {
public:
    struct Limits {
        std::size_t recordings = 200;
        std::uint64_t bytes = 100ull << 20;
        // Pieces waiting for a disk that has stalled; beyond this the recording is dropped.
        std::uint64_t queued = 64ull << 20;
    };

    explicit SessionRecorder(std::filesystem::path programFolder);
    SessionRecorder(std::filesystem::path programFolder, Limits limits);
    // Writes what it was given, then ends its thread.
    ~SessionRecorder();
    SessionRecorder(const SessionRecorder&) = delete;
    SessionRecorder& operator=(const SessionRecorder&) = delete;

    // The output of one session's recording. report takes the line of a recording that could
    // not be written; it must outlive the next Drain.
    std::unique_ptr<RecordingOutput> Begin(const RecordingHeader& header, WorkerReport& report);
    // Returns once everything handed over so far is written and published, or dropped.
    void Drain();

private:
    struct Session;
    struct Job {
        std::shared_ptr<Session> session;
        std::vector<std::uint8_t> piece;
        bool finish = false;
    };
    class Output;

    void Push(Job job);
    void Run();
    void Handle(Job& job);
    void Fail(Session& session);
    void Prune();

    std::filesystem::path m_folder;
    Limits m_limits;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    std::uint64_t m_queued = 0;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;  // last: started once everything it uses exists
};

}  // namespace zep
