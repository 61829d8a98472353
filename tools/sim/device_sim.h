#pragma once
// The part every simulated device shares: its own thread over a serial line, the prompt it
// announces itself with, paced output, the faults asked for, and what a test may look at
// afterwards (commands received, sessions, the speed in force).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/sim/sim_line.h"
#include "tools/sim/sim_options.h"

namespace zep::sim {

class DeviceSim {
public:
    virtual ~DeviceSim();
    DeviceSim(const DeviceSim&) = delete;
    DeviceSim& operator=(const DeviceSim&) = delete;

    // Creates a pseudo-terminal and starts serving it; false when no pseudo-terminal is to be had.
    bool Start();
    // Serves an existing tty instead (a real port, one end of a pair made by another tool).
    bool StartOn(const std::string& ttyPath);
    // Stops the thread and closes the line (to the host this is the device being unplugged).
    void Stop();

    // The path the host opens.
    std::string SlavePath() const;
    // True while the device thread serves the line (not after Stop, an unplug or a lost line).
    bool Running() const;

    // Commands received, in order: ZEP command bytes as one-character texts, Tessal and Kolvar
    // command lines without their line end, "?" for a probe.
    std::vector<std::string> Commands() const;
    int SessionsEnded() const;
    // Whether the device has seen the host open the port (and not yet seen it close it). The line
    // is looked at every 10 ms or so: a close and reopen in between goes unnoticed.
    bool HostConnected() const;
    int Announcements() const;
    // True once an Unplug fault has closed the line.
    bool Unplugged() const;
    // The speed the host has set on the line (0 when it cannot be seen) and the device's own.
    int LineSpeed() const;
    int DeviceSpeed() const;

    // Waits until the condition holds, re-testing whenever the device's state changes; false
    // after timeoutMs. The condition may call the accessors above.
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs) const;
    bool WaitForSessions(int count, int timeoutMs) const;
    bool WaitForCommands(std::size_t count, int timeoutMs) const;

protected:
    DeviceSim(std::string prompt, SimOptions options);

    // Bytes from the host, on the device thread.
    virtual void OnBytes(std::span<const std::uint8_t> bytes) = 0;
    // The host closed the port: forget half-received commands.
    virtual void OnHostGone() {}
    // A session has ended (the host's exit command); the device forgets its session state.
    virtual void OnSessionEnd() {}

    // For the protocols, on the device thread:
    const SimOptions& Options() const { return m_options; }
    bool InSession() const { return m_inSession; }
    void ReceivedCommand(std::string command);
    void EndSession();
    // The first fault that strikes this command, among the kinds the command can suffer.
    std::optional<SimFault> StrikingFault(std::string_view command,
                                          std::initializer_list<FaultKind> kinds);
    // Sends a reply, committing the fault if one is given (Garbage, Truncate, Unplug, Endless
    // act here; the protocols act on the others). False when the line is gone or the device
    // stopping.
    bool Reply(std::span<const std::uint8_t> bytes, const std::optional<SimFault>& fault);
    bool Reply(std::string_view text, const std::optional<SimFault>& fault);
    // The answer of a device that talks in text lines, then its prompt line: the body, or the
    // error word for an empty body or an ErrorReply fault; nothing under a MissingKey fault, no
    // answer at all under Silence.
    void ReplyText(std::string_view command, const std::string& body, std::string_view errorWord,
                   std::string_view promptEnd);
    // Sends the prompt (subject to "prompt" faults).
    void Announce();
    void SwitchDeviceSpeed(int speed);
    // Waits until the host runs at the given speed (or speedFollowMs passed), then settleMs.
    void AwaitHostSpeed(int speed);
    void Event(const std::string& text);
    void Deleted(const std::string& source);
    // True when the device should stop talking: stopping, or the line is gone.
    bool Stopping() const { return m_stop.load() || m_lineGone; }
    // Guards the content and the observed state; the device thread changes them only inside
    // ChangeState, and reads them without it (it is the only writer).
    std::mutex& StateMutex() const { return m_mutex; }
    template <typename Change>
    void ChangeState(Change&& change) {
        {
            std::lock_guard guard(m_mutex);
            change();
            ++m_version;
        }
        m_changed.notify_all();
    }

private:
    bool Launch(std::unique_ptr<SimLine> line);
    void Run();
    void HandleHostPresence(bool present);
    void HandleIdleAnnouncements();
    bool WritePaced(std::span<const std::uint8_t> bytes);
    // After an Endless fault: more letters, between the commands read, until the host closes
    // the port.
    void Flood();
    void Unplug();

    const std::string m_prompt;
    const SimOptions m_options;
    PaceClock& m_clock;

    std::unique_ptr<SimLine> m_line;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};

    // Device thread only.
    bool m_hostPresent = false;
    bool m_inSession = false;
    bool m_lineGone = false;
    bool m_flooding = false;
    std::int64_t m_nextAnnounceMs = -1;  // steady milliseconds, -1 = none due
    std::vector<int> m_faultSeen;        // per fault: matching commands so far
    std::vector<int> m_faultStruck;      // per fault: commands struck so far

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::uint64_t m_version = 0;
    std::string m_slavePath;
    std::vector<std::string> m_commands;
    int m_sessionsEnded = 0;
    int m_announcements = 0;
    bool m_unplugged = false;
    bool m_hostConnected = false;
    int m_deviceSpeed = 9600;
};

}  // namespace zep::sim
