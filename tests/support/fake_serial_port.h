#pragma once
// A scripted serial port for tests: bytes the "device" sends are queued in advance or produced
// by a responder that sees every write; everything the host writes and every call it makes is
// recorded; speed, time-outs, the clear-to-send bit and failures of single operations are
// under the test's control. Safe to share between a test thread and a worker thread.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "platform/serial_port.h"

namespace zep::test {

class FakeSerialPort : public SerialPort {
public:
    enum class Op {
        Open,
        Close,
        SetLineParams,
        SetFlowControl,
        GetSpeed,
        SetSpeed,
        GetReadTimeouts,
        SetReadTimeouts,
        ReadByte,
        Read,
        WriteByte,
        Write,
        Flush,
        OutputPending,
        LineStatus,
        Gone,
    };

    // Called after each PortWrite / PortWriteByte with the bytes of that call; it may queue
    // input (the device's answer) or change any other state.
    using Responder = std::function<void(FakeSerialPort& port, const std::string& written)>;

    // ---- what the device sends
    void AddInput(std::string_view bytes);
    void AddInput(std::span<const std::uint8_t> bytes);
    // The next `reads` byte reads (after the input queued so far) find nothing.
    void AddSilence(int reads = 1);
    // Bytes (and silences) not yet read.
    std::size_t PendingInput() const;
    // PortFlush(2) normally discards unread input; off keeps it (a device answering "too fast").
    void SetFlushDiscardsInput(bool discards);
    void SetResponder(Responder responder);
    // Called after every listed call (see Calls) has taken effect, with its text; lets a
    // scripted device answer a speed switch or a flush.
    void SetCallObserver(Responder observer);

    // ---- what the host did
    std::string Written() const;              // all written bytes, in order
    std::vector<std::string> Writes() const;  // one entry per write call
    void ClearWritten();
    // One text per call, e.g. "SetSpeed 57600", "Flush 2", "SetReadTimeouts 2000 2000",
    // "WriteByte =", "Write get records\r\n". Reads are not listed (too many).
    std::vector<std::string> Calls() const;
    int CallCount(Op op) const;

    // ---- line state
    void SetSpeed(int speed);
    int Speed() const;
    void SetTimeouts(std::uint32_t total, std::uint32_t interval);
    std::uint32_t TimeoutTotal() const;
    std::uint32_t TimeoutInterval() const;
    void SetCts(bool high);
    int RateCode() const;
    int ModeCode() const;
    int FlowControl() const;
    bool IsOpen(int port) const;
    // When set, every operation on a port number that is not open fails (as a real component).
    void RequireOpen(bool required);
    // The device file: while absent, PortOpen fails and an open port reports itself gone.
    void SetPresent(bool present);
    // The open port's line hangs up: it reports itself gone until it is closed.
    void HangUp(int port);
    // Values PortOutputPending returns, one per call; afterwards 0.
    void SetOutputPending(std::vector<int> values);

    // ---- failures: the next `times` calls of op fail (-1, or a short count); -1 = always.
    void Fail(Op op, int times = -1);
    void ClearFailures();
    // The system's reason that a failed open or line set-up gives; none unless set.
    void SetFailureReason(SystemError reason);

    // With a clock set, a read that finds nothing under waiting time-outs sleeps the total
    // time-out on it, as a real port would.
    void SetClock(Clock* clock);

    // ---- SerialPort
    int PortOpen(int port) override;
    void PortClose(int port) override;
    int PortSetLineParams(int port, int rateCode, int modeCode) override;
    int PortSetFlowControl(int port, int mode) override;
    int PortGetSpeed(int port) override;
    int PortSetSpeed(int port, int speed) override;
    int PortGetReadTimeouts(int port, std::uint32_t& total, std::uint32_t& interval) override;
    int PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) override;
    int PortReadByte(int port) override;
    int PortRead(int port, std::span<std::uint8_t> buffer) override;
    int PortWriteByte(int port, std::uint8_t byte) override;
    int PortWrite(int port, std::span<const std::uint8_t> bytes) override;
    int PortFlush(int port, int which) override;
    int PortOutputPending(int port) override;
    int PortLineStatus(int port) override;
    bool PortGone(int port) override;
    SystemDone PortOpenWithReason(int port) override;
    SystemDone PortSetLineParamsWithReason(int port, int rateCode, int modeCode) override;

private:
    static constexpr int kSilence = -1;

    bool Fails(Op op);            // consumes one failure of op; caller holds the mutex
    bool Usable(int port) const;  // caller holds the mutex
    int TakeByte();               // caller holds the mutex
    // Lists the call; the observer sees it when the returned scope ends.
    struct CallScope {
        FakeSerialPort& port;
        std::string text;
        ~CallScope();
    };
    [[nodiscard]] CallScope Record(std::string text);
    void AfterWrite(const std::string& written);

    mutable std::recursive_mutex m_mutex;
    std::deque<int> m_input;
    bool m_flushDiscards = true;
    Responder m_responder;
    Responder m_observer;
    std::string m_written;
    std::vector<std::string> m_writes;
    std::vector<std::string> m_calls;
    std::map<Op, int> m_callCounts;
    std::map<Op, int> m_failures;
    SystemError m_failureReason;
    std::vector<int> m_outputPending;
    std::vector<int> m_open;
    bool m_requireOpen = false;
    bool m_present = true;
    std::vector<int> m_hungUp;
    int m_speed = 9600;
    std::uint32_t m_total = kNeverWait;
    std::uint32_t m_interval = 1;
    bool m_cts = false;
    int m_rateCode = 0;
    int m_modeCode = 0;
    int m_flow = -1;
    Clock* m_clock = nullptr;
};

}  // namespace zep::test
