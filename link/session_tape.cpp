// The recording of a running session: wrappers that pass every call through and note it, and
// the merging of byte and miss runs into records of about one line-time slice each.
#include "link/session_tape.h"

#include <utility>

#include "core/crc16.h"
#include "core/path_text.h"

namespace zep {

namespace {

// A run of bytes or misses becomes a record of its own after this long or this large, so the
// times stay meaningful and no record grows without bound.
constexpr std::int64_t kRunSpanMs = 10;
constexpr std::size_t kRunBytes = 4096;

constexpr int kUpperPane = 0;
constexpr int kLowerPane = 1;

}  // namespace

class SessionTape::TapedPort final : public SerialPort {
public:
    TapedPort(SerialPort& inner, SessionTape& tape) : m_inner(inner), m_tape(tape) {}

    int PortOpen(int port) override { return Noted(PortOp::Open, {}, m_inner.PortOpen(port)); }
    void PortClose(int port) override {
        m_inner.PortClose(port);
        m_tape.Call(PortOp::Close, {});
        m_tape.CallEnded();
    }
    int PortSetLineParams(int port, int rateCode, int modeCode) override {
        return Noted(PortOp::SetLineParams, {rateCode, modeCode},
                     m_inner.PortSetLineParams(port, rateCode, modeCode));
    }
    int PortSetFlowControl(int port, int mode) override {
        return Noted(PortOp::SetFlowControl, {mode}, m_inner.PortSetFlowControl(port, mode));
    }
    int PortGetSpeed(int port) override {
        return Noted(PortOp::GetSpeed, {}, m_inner.PortGetSpeed(port));
    }
    int PortSetSpeed(int port, int speed) override {
        return Noted(PortOp::SetSpeed, {speed}, m_inner.PortSetSpeed(port, speed));
    }
    int PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) override {
        const int result = m_inner.PortGetReadTimeouts(port, total, interval);
        m_tape.Call(PortOp::GetReadTimeouts, {result, total, interval});
        return Ended(result);
    }
    int PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) override {
        return Noted(PortOp::SetReadTimeouts, {total, interval},
                     m_inner.PortSetReadTimeouts(port, total, interval));
    }
    int PortReadByte(int port) override {
        const int byte = m_inner.PortReadByte(port);
        if (byte < 0) {
            m_tape.ReadMisses(1);
        } else {
            const auto value = static_cast<std::uint8_t>(byte);
            m_tape.DeviceBytes(std::span(&value, 1));
        }
        return Ended(byte);
    }
    int PortRead(int port, std::span<std::uint8_t> buffer) override {
        const int count = m_inner.PortRead(port, buffer);
        const auto got = static_cast<std::size_t>(count > 0 ? count : 0);
        if (got > 0) {
            m_tape.DeviceBytes(buffer.first(std::min(got, buffer.size())));
        }
        // A short read ended with a read that found nothing in time.
        if (got < buffer.size()) {
            m_tape.ReadMisses(1);
        }
        return Ended(count);
    }
    int PortWriteByte(int port, std::uint8_t byte) override {
        m_tape.HostBytes(std::span(&byte, 1));
        return WriteNoted(m_inner.PortWriteByte(port, byte), 1);
    }
    int PortWrite(int port, std::span<const std::uint8_t> bytes) override {
        m_tape.HostBytes(bytes);
        return WriteNoted(m_inner.PortWrite(port, bytes), bytes.size());
    }
    int PortFlush(int port, int which) override {
        return Noted(PortOp::Flush, {which}, m_inner.PortFlush(port, which));
    }
    int PortOutputPending(int port) override {
        return Noted(PortOp::OutputPending, {}, m_inner.PortOutputPending(port));
    }
    int PortLineStatus(int port) override {
        return Noted(PortOp::LineStatus, {}, m_inner.PortLineStatus(port));
    }
    bool PortGone(int port) override {
        return Noted(PortOp::Gone, {}, m_inner.PortGone(port) ? 1 : 0) != 0;
    }

private:
    int Noted(PortOp op, std::vector<std::int64_t> values, int result) {
        values.push_back(result);
        m_tape.Call(op, std::move(values));
        return Ended(result);
    }
    // Only a write that did not send everything is followed by its result.
    int WriteNoted(int result, std::size_t asked) {
        if (result < 0 || static_cast<std::size_t>(result) != asked) {
            m_tape.Call(PortOp::WriteResult, {result});
        }
        return Ended(result);
    }
    int Ended(int result) {
        m_tape.CallEnded();
        return result;
    }

    SerialPort& m_inner;
    SessionTape& m_tape;
};

class SessionTape::TapedClock final : public Clock {
public:
    TapedClock(Clock& inner, SessionTape& tape) : m_inner(inner), m_tape(tape) {}
    std::time_t Now() override {
        const std::time_t now = m_inner.Now();
        m_tape.ClockRead(static_cast<std::int64_t>(now));
        return now;
    }
    void SleepMs(int milliseconds) override { m_inner.SleepMs(milliseconds); }
    std::int64_t TickMs() override {
        const std::int64_t now = m_inner.TickMs();
        m_tape.TickRead(now);
        return now;
    }

private:
    Clock& m_inner;
    SessionTape& m_tape;
};

class SessionTape::TapedReport final : public WorkerReport {
public:
    TapedReport(WorkerReport& inner, SessionTape& tape) : m_inner(inner), m_tape(tape) {}
    void SetBar1(int position, std::optional<std::string> caption) override {
        m_inner.SetBar1(position, std::move(caption));
    }
    void SetBar2(int position, std::optional<std::string> caption) override {
        m_inner.SetBar2(position, std::move(caption));
    }
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override {
        if (lower) {
            m_tape.LogLine(kLowerPane, *lower);
        }
        if (upper) {
            m_tape.LogLine(kUpperPane, *upper);
        }
        m_inner.AddLogLines(std::move(lower), std::move(upper));
    }

private:
    WorkerReport& m_inner;
    SessionTape& m_tape;
};

class SessionTape::TapedFiles final : public RawFileObserver {
public:
    explicit TapedFiles(SessionTape& tape) : m_tape(tape) {}
    void Published(const std::filesystem::path& file,
                   std::span<const std::uint8_t> content) override {
        m_tape.FileRecord(RecordKind::RawFile, PathToUtf8(file.filename()), content);
    }
    void PassedOver(std::span<const std::uint8_t> content) override {
        m_tape.FileRecord(RecordKind::PassedOver, {}, content);
    }

private:
    SessionTape& m_tape;
};

SessionTape::SessionTape(const RecordingHeader& header, SerialPort& port, Clock& clock,
                         WorkerReport& report, RecordingOutput& output, const StopRequest& stop)
    : m_clock(clock),
      m_output(output),
      m_stop(stop),
      m_startMs(clock.TickMs()),
      m_port(std::make_unique<TapedPort>(port, *this)),
      m_sessionClock(std::make_unique<TapedClock>(clock, *this)),
      m_report(std::make_unique<TapedReport>(report, *this)),
      m_files(std::make_unique<TapedFiles>(*this)) {
    m_output.Take(EncodeRecordingHeader(header));
}

SessionTape::~SessionTape() = default;

SerialPort& SessionTape::Port() {
    return *m_port;
}
Clock& SessionTape::SessionClock() {
    return *m_sessionClock;
}
WorkerReport& SessionTape::Report() {
    return *m_report;
}
RawFileObserver& SessionTape::Files() {
    return *m_files;
}
const StopRequest& SessionTape::Stop() const {
    return m_seenStop;
}

void SessionTape::End() {
    if (m_ended) {
        return;
    }
    Record end;
    end.kind = RecordKind::End;
    Add(std::move(end));
    CloseRun();
    m_output.Take(m_writer.TakeBytes());
    m_output.Finish();
    m_ended = true;
}

void SessionTape::DeviceBytes(std::span<const std::uint8_t> bytes) {
    Extend(RecordKind::DeviceBytes, bytes, 0);
}

void SessionTape::ReadMisses(int count) {
    Extend(RecordKind::ReadMisses, {}, count);
}

void SessionTape::HostBytes(std::span<const std::uint8_t> bytes) {
    Extend(RecordKind::HostBytes, bytes, 0);
}

void SessionTape::Call(PortOp op, std::vector<std::int64_t> values) {
    Record record;
    record.kind = RecordKind::Call;
    record.op = op;
    record.values = std::move(values);
    Add(std::move(record));
}

void SessionTape::ClockRead(std::int64_t utcSeconds) {
    Record record;
    record.kind = RecordKind::ClockRead;
    record.number = utcSeconds;
    Add(std::move(record));
}

void SessionTape::LogLine(int pane, const std::string& text) {
    Record record;
    record.kind = RecordKind::LogLine;
    record.number = pane;
    record.bytes.assign(text.begin(), text.end());
    Add(std::move(record));
}

void SessionTape::CallEnded() {
    if (m_seenStop.Requested() || !m_stop.Requested()) {
        return;
    }
    Record stop;
    stop.kind = RecordKind::Stop;
    Add(std::move(stop));
    m_seenStop.Request();
}

void SessionTape::TickRead(std::int64_t tickMs) {
    Record record;
    record.kind = RecordKind::Tick;
    record.number = tickMs - m_startMs;
    Add(std::move(record));
}

void SessionTape::FileRecord(RecordKind kind, const std::string& name,
                             std::span<const std::uint8_t> content) {
    Record record;
    record.kind = kind;
    record.number = static_cast<std::int64_t>(content.size());
    record.check = Crc16(content);
    record.bytes.assign(name.begin(), name.end());
    Add(std::move(record));
}

std::int64_t SessionTape::NowMs() {
    return m_clock.TickMs() - m_startMs;
}

void SessionTape::Extend(RecordKind kind, std::span<const std::uint8_t> bytes, int misses) {
    if (m_ended) {
        return;
    }
    const std::int64_t now = NowMs();
    if (m_run && (m_run->kind != kind || now - m_run->timeMs >= kRunSpanMs ||
                  m_run->bytes.size() >= kRunBytes)) {
        CloseRun();
    }
    if (!m_run) {
        m_run = Record{};
        m_run->kind = kind;
        m_run->timeMs = now;
    }
    m_run->bytes.insert(m_run->bytes.end(), bytes.begin(), bytes.end());
    m_run->number += misses;
}

void SessionTape::CloseRun() {
    if (!m_run) {
        return;
    }
    m_writer.Add(*m_run);
    m_run.reset();
    if (m_writer.Size() >= kPieceBytes) {
        m_output.Take(m_writer.TakeBytes());
    }
}

void SessionTape::Add(Record record) {
    if (m_ended) {
        return;
    }
    CloseRun();
    record.timeMs = NowMs();
    m_writer.Add(record);
    if (m_writer.Size() >= kPieceBytes) {
        m_output.Take(m_writer.TakeBytes());
    }
}

}  // namespace zep
