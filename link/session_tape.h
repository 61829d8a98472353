#pragma once
// Records one device session while it runs: the port, the clock, the report and the raw files
// handed to the exchange are wrapped, everything passes through unchanged, and what passed is
// appended in memory to the session recording (link/session_record.h). Full pieces go to an
// output that writes them elsewhere, so the exchange never waits for a disk. Used from the
// exchange's thread only.
//
// The program's request to end reaches the exchange through the tape as well, and only as a
// port call ends: the recording then marks the very point from which the exchange saw it, so
// that a replay gives way where the session did. A request that comes during a call takes
// effect when the call returns, as it would have at the next wait anyway.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/raw_file_observer.h"
#include "core/stop_request.h"
#include "core/worker_report.h"
#include "link/session_record.h"
#include "platform/serial_port.h"

namespace zep {

// Where the recording's bytes go, in order. Neither call may wait for a disk.
class RecordingOutput {
public:
    virtual ~RecordingOutput() = default;
    virtual void Take(std::vector<std::uint8_t> piece) = 0;
    // The session has ended; the last piece has been given.
    virtual void Finish() = 0;
};

class SessionTape {
public:
    // The pieces handed to the output, the first one with the header.
    static constexpr std::size_t kPieceBytes = 64 * 1024;

    SessionTape(const RecordingHeader& header, SerialPort& port, Clock& clock, WorkerReport& report,
                RecordingOutput& output, const StopRequest& stop = StopRequest::Never());
    ~SessionTape();
    SessionTape(const SessionTape&) = delete;
    SessionTape& operator=(const SessionTape&) = delete;

    // What the exchange is given in place of the real ones.
    SerialPort& Port();
    Clock& SessionClock();
    WorkerReport& Report();
    RawFileObserver& Files();
    // The stop request as the exchange is to see it.
    const StopRequest& Stop() const;

    // Writes the end record and hands the rest to the output.
    void End();

    // --- what the wrappers record
    void DeviceBytes(std::span<const std::uint8_t> bytes);
    void ReadMisses(int count);
    void HostBytes(std::span<const std::uint8_t> bytes);
    void Call(PortOp op, std::vector<std::int64_t> values);
    void ClockRead(std::int64_t utcSeconds);
    void TickRead(std::int64_t tickMs);
    // A port call has returned: a request to end that has come is passed on here.
    void CallEnded();
    void LogLine(int pane, const std::string& text);
    // A raw file published (with its name), or a unit passed over (none).
    void FileRecord(RecordKind kind, const std::string& name,
                    std::span<const std::uint8_t> content);

private:
    class TapedPort;
    class TapedClock;
    class TapedReport;
    class TapedFiles;

    std::int64_t NowMs();
    // Byte and miss records of the same kind are merged while they come close together.
    void Extend(RecordKind kind, std::span<const std::uint8_t> bytes, int misses);
    void CloseRun();
    void Add(Record record);

    Clock& m_clock;
    RecordingOutput& m_output;
    const StopRequest& m_stop;
    StopRequest m_seenStop;
    std::int64_t m_startMs;
    RecordWriter m_writer;
    std::optional<Record> m_run;
    bool m_ended = false;
    std::unique_ptr<TapedPort> m_port;
    std::unique_ptr<TapedClock> m_sessionClock;
    std::unique_ptr<TapedReport> m_report;
    std::unique_ptr<TapedFiles> m_files;
};

}  // namespace zep
