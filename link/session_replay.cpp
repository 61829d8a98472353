// The playback of a recorded session: a port, a clock and a raw-file observer that answer from
// the recording and note the first point where the program leaves it.
#include "link/session_replay.h"

#include <algorithm>

#include "core/crc16.h"
#include "core/path_text.h"

namespace zep {

namespace {

// How much of a write the difference shows.
constexpr std::size_t kShownBytes = 32;
constexpr std::int64_t kSecondsPerHour = 3600;

ReplayStep ReadStep() {
    ReplayStep step;
    step.kind = RecordKind::DeviceBytes;
    return step;
}

ReplayStep CallStep(PortOp op, std::vector<std::int64_t> arguments) {
    ReplayStep step;
    step.kind = RecordKind::Call;
    step.op = op;
    step.values = std::move(arguments);
    return step;
}

}  // namespace

class SessionReplay::ReplayPort final : public SerialPort {
public:
    explicit ReplayPort(SessionReplay& replay) : m_replay(replay) {}

    int PortOpen(int) override { return First(PortOp::Open, {}, -1); }
    void PortClose(int) override {
        m_replay.Call(PortOp::Close, {});
        m_replay.CallEnded();
    }
    int PortSetLineParams(int, int rateCode, int modeCode) override {
        return First(PortOp::SetLineParams, {rateCode, modeCode}, -1);
    }
    int PortSetFlowControl(int, int mode) override {
        return First(PortOp::SetFlowControl, {mode}, -1);
    }
    int PortGetSpeed(int) override { return First(PortOp::GetSpeed, {}, -1); }
    int PortSetSpeed(int, int speed) override { return First(PortOp::SetSpeed, {speed}, -1); }
    int PortGetReadTimeouts(int, std::uint32_t& total, std::uint32_t& interval) override {
        const auto results = m_replay.Call(PortOp::GetReadTimeouts, {});
        if (!results) {
            return Ended(-1);
        }
        total = static_cast<std::uint32_t>((*results)[1]);
        interval = static_cast<std::uint32_t>((*results)[2]);
        return Ended(static_cast<int>((*results)[0]));
    }
    int PortSetReadTimeouts(int, std::uint32_t total, std::uint32_t interval) override {
        return First(PortOp::SetReadTimeouts, {total, interval}, -1);
    }
    int PortReadByte(int) override { return Ended(m_replay.ReadByte()); }
    int PortRead(int, std::span<std::uint8_t> buffer) override {
        std::size_t done = 0;
        for (; done < buffer.size(); ++done) {
            const int byte = m_replay.ReadByte();
            if (byte < 0) {
                break;
            }
            buffer[done] = static_cast<std::uint8_t>(byte);
        }
        return Ended(static_cast<int>(done));
    }
    int PortWriteByte(int, std::uint8_t byte) override {
        return Ended(m_replay.Write(std::span(&byte, 1), 1));
    }
    int PortWrite(int, std::span<const std::uint8_t> bytes) override {
        return Ended(m_replay.Write(bytes, static_cast<int>(bytes.size())));
    }
    int PortFlush(int, int which) override { return First(PortOp::Flush, {which}, -1); }
    // Nothing waits to be sent once the replay has left the recording: no wait for it.
    int PortOutputPending(int) override { return First(PortOp::OutputPending, {}, 0); }
    int PortLineStatus(int) override { return First(PortOp::LineStatus, {}, -1); }
    bool PortGone(int) override { return First(PortOp::Gone, {}, 1) != 0; }

private:
    int First(PortOp op, std::vector<std::int64_t> arguments, int otherwise) {
        const auto results = m_replay.Call(op, std::move(arguments));
        return Ended(results ? static_cast<int>(results->front()) : otherwise);
    }
    int Ended(int result) {
        m_replay.CallEnded();
        return result;
    }

    SessionReplay& m_replay;
};

class SessionReplay::ReplayClock final : public Clock {
public:
    explicit ReplayClock(SessionReplay& replay) : m_replay(replay) {}
    std::time_t Now() override { return static_cast<std::time_t>(m_replay.ClockRead()); }
    void SleepMs(int milliseconds) override { m_replay.Sleep(milliseconds); }
    std::int64_t TickMs() override { return m_replay.TickMs(); }

private:
    SessionReplay& m_replay;
};

class SessionReplay::ReplayFiles final : public RawFileObserver {
public:
    explicit ReplayFiles(SessionReplay& replay) : m_replay(replay) {}
    void Published(const std::filesystem::path& file,
                   std::span<const std::uint8_t> content) override {
        m_replay.FileStep(RecordKind::RawFile, PathToUtf8(file.filename()), content);
    }
    void PassedOver(std::span<const std::uint8_t> content) override {
        m_replay.FileStep(RecordKind::PassedOver, {}, content);
    }

private:
    SessionReplay& m_replay;
};

// The import history as the session met it: it knows the units the recording passed over, at
// the point where it did, and nothing else; what the replay saves it does not keep.
class SessionReplay::ReplayHistory final : public ImportHistory {
public:
    explicit ReplayHistory(SessionReplay& replay) : m_replay(replay) {}
    bool Contains(const ArchiveKey& archive) const override {
        return m_replay.PassedOverNext(archive.length);
    }
    bool Record(std::span<const ArchiveKey>, WorkerReport&) override { return true; }
    std::vector<std::uint16_t> PublishedOutputs(const ArchiveKey&) const override { return {}; }
    bool RecordOutput(const ArchiveKey&, std::uint16_t, WorkerReport&) override { return true; }
    void EndConversion(const ArchiveKey&, WorkerReport&) override {}

private:
    SessionReplay& m_replay;
};

SessionReplay::SessionReplay(const ParsedRecording& recording, int hoursWest)
    : m_recording(recording),
      m_shiftSeconds((hoursWest - recording.header.value_or(RecordingHeader{}).hoursWest) *
                     kSecondsPerHour),
      m_lastClock(recording.header.value_or(RecordingHeader{}).startUtc),
      m_port(std::make_unique<ReplayPort>(*this)),
      m_clock(std::make_unique<ReplayClock>(*this)),
      m_files(std::make_unique<ReplayFiles>(*this)),
      m_history(std::make_unique<ReplayHistory>(*this)) {}

SessionReplay::~SessionReplay() = default;

SerialPort& SessionReplay::Port() {
    return *m_port;
}
Clock& SessionReplay::SessionClock() {
    return *m_clock;
}
RawFileObserver& SessionReplay::Files() {
    return *m_files;
}
ImportHistory& SessionReplay::History() {
    return *m_history;
}
const StopRequest& SessionReplay::Stop() const {
    return m_stop;
}

std::optional<ReplayDifference> SessionReplay::Finish() {
    if (!m_difference) {
        const Record* next = Next(true);
        if (!next || next->kind != RecordKind::End) {
            Differ(ReplayStep{});
        }
    }
    return m_difference;
}

int SessionReplay::ReadByte() {
    const Record* record = m_difference ? nullptr : Next(true);
    if (!record) {
        if (!m_difference) {
            Differ(ReadStep());
        }
        return -1;
    }
    if (record->kind == RecordKind::DeviceBytes) {
        const int byte = record->bytes[m_withinAt++];
        if (m_withinAt == record->bytes.size()) {
            Consume();
        }
        return byte;
    }
    if (record->kind == RecordKind::ReadMisses) {
        if (static_cast<std::int64_t>(++m_withinAt) == record->number) {
            Consume();
        }
        return -1;
    }
    Differ(ReadStep());
    return -1;
}

int SessionReplay::Write(std::span<const std::uint8_t> bytes, int allSent) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const Record* record = m_difference ? nullptr : Next(true);
        if (m_difference) {
            return -1;
        }
        if (!record || record->kind != RecordKind::HostBytes ||
            record->bytes[m_withinAt] != bytes[i]) {
            ReplayStep got;
            got.kind = RecordKind::HostBytes;
            const auto rest = bytes.subspan(i, std::min(bytes.size() - i, kShownBytes));
            got.bytes.assign(rest.begin(), rest.end());
            Differ(std::move(got));
            return -1;
        }
        ++m_hostSent;
        if (++m_withinAt == record->bytes.size()) {
            Consume();
        }
    }
    // A write that did not send everything is followed by its result.
    const Record* next = m_withinAt == 0 ? Next(false) : nullptr;
    if (next && next->kind == RecordKind::Call && next->op == PortOp::WriteResult) {
        const auto result = static_cast<int>(next->values.front());
        Consume();
        return result;
    }
    return allSent;
}

std::optional<std::vector<std::int64_t>> SessionReplay::Call(PortOp op,
                                                             std::vector<std::int64_t> arguments) {
    const Record* record = m_difference ? nullptr : Next(true);
    if (m_difference) {
        return std::nullopt;
    }
    const bool same = record && record->kind == RecordKind::Call && record->op == op &&
                      record->values.size() >= arguments.size() &&
                      std::equal(arguments.begin(), arguments.end(), record->values.begin());
    if (!same) {
        Differ(CallStep(op, std::move(arguments)));
        return std::nullopt;
    }
    std::vector<std::int64_t> results(
        record->values.begin() + static_cast<std::ptrdiff_t>(arguments.size()),
        record->values.end());
    Consume();
    return results;
}

std::int64_t SessionReplay::ClockRead() {
    const Record* record = m_difference ? nullptr : Next(false);
    if (record && record->kind == RecordKind::ClockRead) {
        m_lastClock = record->number;
        m_lastClockMs = m_nowMs;
        Consume();
    } else {
        // More readings than the session made (a name taken here that was free there): the
        // clock goes on from the last reading by the time slept since.
        m_lastClock += (m_nowMs - m_lastClockMs) / 1000;
        m_lastClockMs += (m_nowMs - m_lastClockMs) / 1000 * 1000;
    }
    return m_lastClock + m_shiftSeconds;
}

std::int64_t SessionReplay::TickMs() {
    const Record* record = m_difference ? nullptr : Next(false);
    if (record && record->kind == RecordKind::Tick) {
        const std::int64_t tick = record->number;
        Consume();
        return tick;
    }
    // A reading the session did not make: the replay's own time.
    return m_nowMs;
}

void SessionReplay::CallEnded() {
    if (m_difference || m_withinAt != 0 || m_at >= m_recording.records.size() ||
        m_recording.records[m_at].kind != RecordKind::Stop) {
        return;
    }
    Consume();
    m_stop.Request();
}

void SessionReplay::Sleep(int milliseconds) {
    m_nowMs += std::max(0, milliseconds);
}

bool SessionReplay::PassedOverNext(std::uint64_t length) {
    // Clock readings stay where they are: a unit that is saved reads the clock for its name.
    const Record* record = m_difference ? nullptr : Next(false);
    return record && record->kind == RecordKind::PassedOver &&
           static_cast<std::uint64_t>(record->number) == length;
}

void SessionReplay::FileStep(RecordKind kind, const std::string& name,
                             std::span<const std::uint8_t> content) {
    const Record* record = m_difference ? nullptr : Next(true);
    if (m_difference) {
        return;
    }
    const auto size = static_cast<std::int64_t>(content.size());
    const std::uint16_t check = Crc16(content);
    if (!record || record->kind != kind ||
        std::string(record->bytes.begin(), record->bytes.end()) != name || record->number != size ||
        record->check != check) {
        ReplayStep got;
        got.kind = kind;
        got.bytes.assign(name.begin(), name.end());
        got.values = {size, check};
        Differ(std::move(got));
        return;
    }
    Consume();
}

const Record* SessionReplay::Next(bool skipClock) {
    const auto& records = m_recording.records;
    while (m_at < records.size() && m_withinAt == 0 &&
           (records[m_at].kind == RecordKind::LogLine ||
            (skipClock && (records[m_at].kind == RecordKind::ClockRead ||
                           records[m_at].kind == RecordKind::Tick)))) {
        ++m_at;
    }
    if (m_at == records.size()) {
        return nullptr;
    }
    m_nowMs = std::max(m_nowMs, records[m_at].timeMs);
    return &records[m_at];
}

void SessionReplay::Consume() {
    ++m_at;
    m_withinAt = 0;
}

void SessionReplay::Differ(ReplayStep got) {
    ReplayDifference difference;
    difference.recordIndex = m_at;
    difference.hostOffset = m_hostSent;
    if (m_at < m_recording.records.size()) {
        difference.fileOffset = m_recording.records[m_at].offset;
        difference.timeMs = m_recording.records[m_at].timeMs;
    }
    difference.expected = Expected();
    difference.got = std::move(got);
    m_difference = std::move(difference);
}

ReplayStep SessionReplay::Expected() const {
    ReplayStep step;
    const auto& records = m_recording.records;
    if (m_at >= records.size()) {
        return step;
    }
    const Record& record = records[m_at];
    step.kind = record.kind;
    switch (record.kind) {
        case RecordKind::HostBytes:
            // The bytes still to come from here, across the records that follow one another.
            for (std::size_t k = m_at, from = m_withinAt;
                 k < records.size() && records[k].kind == RecordKind::HostBytes &&
                 step.bytes.size() < kShownBytes;
                 ++k, from = 0) {
                const auto& bytes = records[k].bytes;
                const std::size_t take =
                    std::min(bytes.size() - from, kShownBytes - step.bytes.size());
                step.bytes.insert(step.bytes.end(),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(from + take));
            }
            break;
        case RecordKind::Call: {
            step.op = record.op;
            const auto shape = ShapeOf(record.op);
            const auto count = static_cast<std::ptrdiff_t>(shape ? shape->arguments : 0);
            step.values.assign(record.values.begin(), record.values.begin() + count);
            break;
        }
        case RecordKind::RawFile:
        case RecordKind::PassedOver:
            step.bytes = record.bytes;
            step.values = {record.number, record.check};
            break;
        default:
            break;
    }
    return step;
}

}  // namespace zep
