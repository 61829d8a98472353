#pragma once
// A recorded session played back to the exchange that made it. The port answers from the
// recording at once: reads return the device's bytes in order, a recorded time-out is a
// time-out without waiting, and every other call returns what it returned then. What the
// program sends and asks for is compared with the recording; so are the raw files it
// publishes. The clock gives the exchange the wall-clock readings of the session, shifted
// from the session's time base to this process's, so the time-stamped names come out as they
// did; sleeps cost nothing. The program's request to end comes where the session met it, with
// the monotonic readings that timed the answer still waited for then. The first difference is
// kept, and from there on every call fails, so the exchange takes its failure paths to its end.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/import_history.h"
#include "core/raw_file_observer.h"
#include "core/stop_request.h"
#include "link/session_record.h"
#include "platform/serial_port.h"

namespace zep {

// One step of the session: what the recording holds at a point, or what the program did there.
struct ReplayStep {
    // HostBytes: a write; DeviceBytes or ReadMisses: a read; Call: a port call; RawFile: a
    // published raw file; End: the end of the exchange.
    RecordKind kind = RecordKind::End;
    std::vector<std::uint8_t> bytes;   // a write's bytes from the point of difference; a name
    PortOp op{};                       // Call
    std::vector<std::int64_t> values;  // Call: its arguments; RawFile: size and check word
};

struct ReplayDifference {
    std::size_t recordIndex = 0;
    std::size_t fileOffset = 0;    // of the recording's record where the two part
    std::int64_t timeMs = 0;       // into the session
    std::uint64_t hostOffset = 0;  // bytes the program had sent before the point of difference
    ReplayStep expected;           // what the recording holds
    ReplayStep got;                // what the program did
};

class SessionReplay {
public:
    // hoursWest: the time base of this process (StandardOffsetHoursWest).
    SessionReplay(const ParsedRecording& recording, int hoursWest);
    ~SessionReplay();
    SessionReplay(const SessionReplay&) = delete;
    SessionReplay& operator=(const SessionReplay&) = delete;

    SerialPort& Port();
    Clock& SessionClock();
    RawFileObserver& Files();
    // The import history to hand the exchange (with ImportOnce on): it passes over what the
    // session passed over.
    ImportHistory& History();
    // The request to end, made where the session saw it.
    const StopRequest& Stop() const;

    // To be called once the exchange has returned: nullopt when it followed the recording to
    // its end record; otherwise the first point where they part.
    std::optional<ReplayDifference> Finish();

    // --- what the replayed port, clock and file observer ask
    // A byte, or -1 for a recorded time-out (or once the replay has left the recording).
    int ReadByte();
    int Write(std::span<const std::uint8_t> bytes, int allSent);
    // The recorded results of a call with these arguments; nullopt once they differ.
    std::optional<std::vector<std::int64_t>> Call(PortOp op, std::vector<std::int64_t> arguments);
    std::int64_t ClockRead();
    std::int64_t TickMs();
    // A port call has returned: a request to end recorded at this point is made.
    void CallEnded();
    void Sleep(int milliseconds);
    // A raw file published (with its name), or a unit passed over (none).
    void FileStep(RecordKind kind, const std::string& name, std::span<const std::uint8_t> content);
    // Whether the session's import history passed over a unit of this length here.
    bool PassedOverNext(std::uint64_t length);

private:
    class ReplayPort;
    class ReplayClock;
    class ReplayFiles;
    class ReplayHistory;

    // The next record that counts, passing over log lines and, with skipClock, clock
    // readings the program did not ask for; nullptr past the last record.
    const Record* Next(bool skipClock);
    void Consume();
    void Differ(ReplayStep got);
    ReplayStep Expected() const;

    const ParsedRecording& m_recording;
    std::int64_t m_shiftSeconds;
    std::size_t m_at = 0;        // the current record
    std::size_t m_withinAt = 0;  // bytes or misses of it already used
    std::uint64_t m_hostSent = 0;
    std::int64_t m_nowMs = 0;
    std::int64_t m_lastClock = 0;  // the last wall-clock reading given, and when it was
    std::int64_t m_lastClockMs = 0;
    StopRequest m_stop;
    std::optional<ReplayDifference> m_difference;
    std::unique_ptr<ReplayPort> m_port;
    std::unique_ptr<ReplayClock> m_clock;
    std::unique_ptr<ReplayFiles> m_files;
    std::unique_ptr<ReplayHistory> m_history;
};

}  // namespace zep
