// The tests' scripted serial port: the device's bytes queued or produced by a responder, the
// host's writes and calls recorded, single failures under the test's control.
#include "tests/support/fake_serial_port.h"

#include <algorithm>

namespace zep::test {

using Guard = std::lock_guard<std::recursive_mutex>;

void FakeSerialPort::AddInput(std::string_view bytes) {
    Guard guard(m_mutex);
    for (char c : bytes) {
        m_input.push_back(static_cast<std::uint8_t>(c));
    }
}

void FakeSerialPort::AddInput(std::span<const std::uint8_t> bytes) {
    Guard guard(m_mutex);
    m_input.insert(m_input.end(), bytes.begin(), bytes.end());
}

void FakeSerialPort::AddSilence(int reads) {
    Guard guard(m_mutex);
    m_input.insert(m_input.end(), static_cast<std::size_t>(std::max(reads, 0)), kSilence);
}

std::size_t FakeSerialPort::PendingInput() const {
    Guard guard(m_mutex);
    return m_input.size();
}

void FakeSerialPort::SetFlushDiscardsInput(bool discards) {
    Guard guard(m_mutex);
    m_flushDiscards = discards;
}

void FakeSerialPort::SetResponder(Responder responder) {
    Guard guard(m_mutex);
    m_responder = std::move(responder);
}

void FakeSerialPort::SetCallObserver(Responder observer) {
    Guard guard(m_mutex);
    m_observer = std::move(observer);
}

std::string FakeSerialPort::Written() const {
    Guard guard(m_mutex);
    return m_written;
}

std::vector<std::string> FakeSerialPort::Writes() const {
    Guard guard(m_mutex);
    return m_writes;
}

void FakeSerialPort::ClearWritten() {
    Guard guard(m_mutex);
    m_written.clear();
    m_writes.clear();
}

std::vector<std::string> FakeSerialPort::Calls() const {
    Guard guard(m_mutex);
    return m_calls;
}

int FakeSerialPort::CallCount(Op op) const {
    Guard guard(m_mutex);
    const auto found = m_callCounts.find(op);
    return found == m_callCounts.end() ? 0 : found->second;
}

void FakeSerialPort::SetSpeed(int speed) {
    Guard guard(m_mutex);
    m_speed = speed;
}

int FakeSerialPort::Speed() const {
    Guard guard(m_mutex);
    return m_speed;
}

void FakeSerialPort::SetTimeouts(std::uint32_t total, std::uint32_t interval) {
    Guard guard(m_mutex);
    m_total = total;
    m_interval = interval;
}

std::uint32_t FakeSerialPort::TimeoutTotal() const {
    Guard guard(m_mutex);
    return m_total;
}

std::uint32_t FakeSerialPort::TimeoutInterval() const {
    Guard guard(m_mutex);
    return m_interval;
}

void FakeSerialPort::SetCts(bool high) {
    Guard guard(m_mutex);
    m_cts = high;
}

int FakeSerialPort::RateCode() const {
    Guard guard(m_mutex);
    return m_rateCode;
}

int FakeSerialPort::ModeCode() const {
    Guard guard(m_mutex);
    return m_modeCode;
}

int FakeSerialPort::FlowControl() const {
    Guard guard(m_mutex);
    return m_flow;
}

bool FakeSerialPort::IsOpen(int port) const {
    Guard guard(m_mutex);
    return std::find(m_open.begin(), m_open.end(), port) != m_open.end();
}

void FakeSerialPort::RequireOpen(bool required) {
    Guard guard(m_mutex);
    m_requireOpen = required;
}

void FakeSerialPort::SetPresent(bool present) {
    Guard guard(m_mutex);
    m_present = present;
}

void FakeSerialPort::HangUp(int port) {
    Guard guard(m_mutex);
    if (IsOpen(port)) {
        m_hungUp.push_back(port);
    }
}

void FakeSerialPort::SetOutputPending(std::vector<int> values) {
    Guard guard(m_mutex);
    m_outputPending = std::move(values);
}

void FakeSerialPort::Fail(Op op, int times) {
    Guard guard(m_mutex);
    m_failures[op] = times;
}

void FakeSerialPort::ClearFailures() {
    Guard guard(m_mutex);
    m_failures.clear();
}

void FakeSerialPort::SetFailureReason(SystemError reason) {
    Guard guard(m_mutex);
    m_failureReason = reason;
}

SystemDone FakeSerialPort::PortOpenWithReason(int port) {
    Guard guard(m_mutex);
    return PortOpen(port) == 0 ? SystemDone() : SystemDone(m_failureReason);
}

SystemDone FakeSerialPort::PortSetLineParamsWithReason(int port, int rateCode, int modeCode) {
    Guard guard(m_mutex);
    return PortSetLineParams(port, rateCode, modeCode) == 0 ? SystemDone()
                                                            : SystemDone(m_failureReason);
}

void FakeSerialPort::SetClock(Clock* clock) {
    Guard guard(m_mutex);
    m_clock = clock;
}

bool FakeSerialPort::Fails(Op op) {
    ++m_callCounts[op];
    auto found = m_failures.find(op);
    if (found == m_failures.end() || found->second == 0) {
        return false;
    }
    if (found->second > 0) {
        --found->second;
    }
    return true;
}

bool FakeSerialPort::Usable(int port) const {
    return !m_requireOpen || std::find(m_open.begin(), m_open.end(), port) != m_open.end();
}

int FakeSerialPort::TakeByte() {
    if (m_input.empty()) {
        if (m_clock != nullptr && m_total != kNeverWait) {
            m_clock->SleepMs(static_cast<int>(m_total));
        }
        return -1;
    }
    const int value = m_input.front();
    m_input.pop_front();
    if (value == kSilence && m_clock != nullptr && m_total != kNeverWait) {
        m_clock->SleepMs(static_cast<int>(m_total));
    }
    return value;
}

FakeSerialPort::CallScope FakeSerialPort::Record(std::string text) {
    m_calls.push_back(text);
    return CallScope{*this, std::move(text)};
}

FakeSerialPort::CallScope::~CallScope() {
    if (port.m_observer) {
        Responder observer = port.m_observer;
        observer(port, text);
    }
}

void FakeSerialPort::AfterWrite(const std::string& written) {
    m_written += written;
    m_writes.push_back(written);
    if (m_responder) {
        // A copy, so a responder may replace itself.
        Responder responder = m_responder;
        responder(*this, written);
    }
}

int FakeSerialPort::PortOpen(int port) {
    Guard guard(m_mutex);
    auto scope = Record("Open " + std::to_string(port));
    if (Fails(Op::Open) || !m_present || IsOpen(port)) {
        return -1;
    }
    m_open.push_back(port);
    return 0;
}

void FakeSerialPort::PortClose(int port) {
    Guard guard(m_mutex);
    auto scope = Record("Close " + std::to_string(port));
    Fails(Op::Close);
    m_open.erase(std::remove(m_open.begin(), m_open.end(), port), m_open.end());
    m_hungUp.erase(std::remove(m_hungUp.begin(), m_hungUp.end(), port), m_hungUp.end());
}

int FakeSerialPort::PortSetLineParams(int port, int rateCode, int modeCode) {
    Guard guard(m_mutex);
    auto scope =
        Record("SetLineParams " + std::to_string(rateCode) + " " + std::to_string(modeCode));
    if (Fails(Op::SetLineParams) || !Usable(port)) {
        return -1;
    }
    m_rateCode = rateCode;
    m_modeCode = modeCode;
    if (rateCode == 12) {
        m_speed = 9600;
    }
    return 0;
}

int FakeSerialPort::PortSetFlowControl(int port, int mode) {
    Guard guard(m_mutex);
    auto scope = Record("SetFlowControl " + std::to_string(mode));
    if (Fails(Op::SetFlowControl) || !Usable(port)) {
        return -1;
    }
    m_flow = mode;
    return 0;
}

int FakeSerialPort::PortGetSpeed(int port) {
    Guard guard(m_mutex);
    auto scope = Record("GetSpeed");
    if (Fails(Op::GetSpeed) || !Usable(port)) {
        return -1;
    }
    return m_speed;
}

int FakeSerialPort::PortSetSpeed(int port, int speed) {
    Guard guard(m_mutex);
    auto scope = Record("SetSpeed " + std::to_string(speed));
    if (Fails(Op::SetSpeed) || !Usable(port) || speed <= 0) {
        return -1;
    }
    m_speed = speed;
    return 0;
}

int FakeSerialPort::PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) {
    Guard guard(m_mutex);
    auto scope = Record("GetReadTimeouts");
    if (Fails(Op::GetReadTimeouts) || !Usable(port)) {
        return -1;
    }
    total = m_total;
    interval = m_interval;
    return 0;
}

int FakeSerialPort::PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) {
    Guard guard(m_mutex);
    auto scope =
        Record("SetReadTimeouts " + std::to_string(total) + " " + std::to_string(interval));
    if (Fails(Op::SetReadTimeouts) || !Usable(port)) {
        return -1;
    }
    m_total = total;
    m_interval = interval;
    return 0;
}

int FakeSerialPort::PortReadByte(int port) {
    Guard guard(m_mutex);
    if (Fails(Op::ReadByte) || !Usable(port)) {
        return -1;
    }
    return TakeByte();
}

int FakeSerialPort::PortRead(int port, std::span<std::uint8_t> buffer) {
    Guard guard(m_mutex);
    if (Fails(Op::Read) || !Usable(port)) {
        return 0;
    }
    int count = 0;
    for (auto& slot : buffer) {
        const int value = TakeByte();
        if (value < 0) {
            break;
        }
        slot = static_cast<std::uint8_t>(value);
        ++count;
    }
    return count;
}

int FakeSerialPort::PortWriteByte(int port, std::uint8_t byte) {
    Guard guard(m_mutex);
    auto scope = Record(std::string("WriteByte ") + static_cast<char>(byte));
    if (Fails(Op::WriteByte) || !Usable(port)) {
        return -1;
    }
    AfterWrite(std::string(1, static_cast<char>(byte)));
    return 1;
}

int FakeSerialPort::PortWrite(int port, std::span<const std::uint8_t> bytes) {
    Guard guard(m_mutex);
    const std::string text(bytes.begin(), bytes.end());
    auto scope = Record("Write " + text);
    if (Fails(Op::Write) || !Usable(port)) {
        return -1;
    }
    AfterWrite(text);
    return static_cast<int>(bytes.size());
}

int FakeSerialPort::PortFlush(int port, int which) {
    Guard guard(m_mutex);
    auto scope = Record("Flush " + std::to_string(which));
    if (Fails(Op::Flush) || !Usable(port)) {
        return -1;
    }
    if (m_flushDiscards && which != 1) {
        m_input.clear();
    }
    return 0;
}

int FakeSerialPort::PortOutputPending(int port) {
    Guard guard(m_mutex);
    if (Fails(Op::OutputPending) || !Usable(port)) {
        return -1;
    }
    if (m_outputPending.empty()) {
        return 0;
    }
    const int value = m_outputPending.front();
    m_outputPending.erase(m_outputPending.begin());
    return value;
}

int FakeSerialPort::PortLineStatus(int port) {
    Guard guard(m_mutex);
    if (Fails(Op::LineStatus) || !Usable(port)) {
        return -1;
    }
    return m_cts ? 1 : 0;
}

bool FakeSerialPort::PortGone(int port) {
    Guard guard(m_mutex);
    ++m_callCounts[Op::Gone];
    if (!IsOpen(port)) {
        return false;
    }
    return !m_present || std::find(m_hungUp.begin(), m_hungUp.end(), port) != m_hungUp.end();
}

}  // namespace zep::test
