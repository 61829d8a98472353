#pragma once
// A serial port whose device sends exactly the fuzz input, then falls silent; whatever the host
// writes is swallowed. With a clock whose sleeps cost nothing, protocol pauses are free.
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>

#include "core/clock.h"
#include "core/worker_report.h"
#include "platform/serial_port.h"

namespace zep::fuzz {

class ByteFeedPort final : public SerialPort {
public:
    explicit ByteFeedPort(std::span<const std::uint8_t> input) : m_input(input) {}

    int PortOpen(int) override { return 0; }
    void PortClose(int) override {}
    int PortSetLineParams(int, int, int) override { return 0; }
    int PortSetFlowControl(int, int) override { return 0; }
    int PortGetSpeed(int) override { return 9600; }
    int PortSetSpeed(int, int) override { return 0; }
    int PortGetReadTimeouts(int, std::uint32_t& total, std::uint32_t& interval) override {
        total = kNeverWait;
        interval = 1;
        return 0;
    }
    int PortSetReadTimeouts(int, std::uint32_t, std::uint32_t) override { return 0; }
    int PortReadByte(int) override { return m_next < m_input.size() ? m_input[m_next++] : -1; }
    int PortRead(int port, std::span<std::uint8_t> buffer) override {
        int count = 0;
        for (auto& slot : buffer) {
            const int value = PortReadByte(port);
            if (value < 0)
                break;
            slot = static_cast<std::uint8_t>(value);
            ++count;
        }
        return count;
    }
    int PortWriteByte(int, std::uint8_t) override { return 1; }
    int PortWrite(int, std::span<const std::uint8_t> bytes) override {
        return static_cast<int>(bytes.size());
    }
    int PortFlush(int, int) override { return 0; }
    int PortOutputPending(int) override { return 0; }
    int PortLineStatus(int) override { return 0; }

    bool Exhausted() const { return m_next >= m_input.size(); }

private:
    std::span<const std::uint8_t> m_input;
    std::size_t m_next = 0;
};

class FreeClock final : public Clock {
public:
    std::time_t Now() override { return 1700000000 + m_ms / 1000; }
    void SleepMs(int milliseconds) override { m_ms += milliseconds > 0 ? milliseconds : 0; }
    std::int64_t TickMs() override { return m_ms; }

private:
    std::int64_t m_ms = 0;
};

class SilentReport final : public WorkerReport {
public:
    void SetBar1(int position, std::optional<std::string>) override { Check(position); }
    void SetBar2(int position, std::optional<std::string>) override { Check(position); }
    void AddLogLines(std::optional<std::string>, std::optional<std::string>) override {}

private:
    // A percentage outside 0..100 is a fault worth a crash report.
    static void Check(int position) {
        if (position < 0 || position > 100)
            __builtin_trap();
    }
};

}  // namespace zep::fuzz
