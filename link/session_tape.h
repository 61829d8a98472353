#pragma once
// Records one device session while it runs: the port, the clock, the report and the raw files
// handed to the exchange are wrapped, everything passes through unchanged, and what passed is
// appended in memory to the session recording (link/session_record.h). Full pieces go to an
// output that writes them elsewhere, so the exchange never waits for a disk. Used from the
// exchange's thread only.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/raw_file_observer.h"
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
                RecordingOutput& output);
    ~SessionTape();
    SessionTape(const SessionTape&) = delete;
    SessionTape& operator=(const SessionTape&) = delete;

    // What the exchange is given in place of the real ones.
    SerialPort& Port();
    Clock& SessionClock();
    WorkerReport& Report();
    RawFileObserver& Files();

    // Writes the end record and hands the rest to the output.
    void End();

    // --- what the wrappers record
    void DeviceBytes(std::span<const std::uint8_t> bytes);
    void ReadMisses(int count);
    void HostBytes(std::span<const std::uint8_t> bytes);
    void Call(PortOp op, std::vector<std::int64_t> values);
    void ClockRead(std::int64_t utcSeconds);
    void LogLine(int pane, const std::string& text);
    void RawFile(const std::string& name, std::span<const std::uint8_t> content);

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
