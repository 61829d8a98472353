// The device loop every simulator shares: the line, the prompt, pacing, faults and events.
#include "tools/sim/device_sim.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <system_error>

namespace zep::sim {

namespace {

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PauseMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

class SteadyPaceClock final : public PaceClock {
public:
    std::int64_t TickMs() override { return SteadyMs(); }
    void SleepMs(int milliseconds) override {
        if (milliseconds > 0) {
            PauseMs(milliseconds);
        }
    }
};

PaceClock& SteadyClock() {
    static SteadyPaceClock clock;
    return clock;
}

// What a receiver at the wrong speed makes of the bytes: framing errors, nothing a protocol
// could mistake for a line end or a prompt.
void Garble(std::span<std::uint8_t> bytes) {
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(0xF0u | (byte & 0x0Fu));
    }
}

constexpr int kUnplugDelayMs = 100;

// Command text for a log line: control and non-ASCII bytes as \xNN.
std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(c);
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

constexpr std::string_view kNoise = "\x07#~%noise%~#\x1b";

}  // namespace

DeviceSim::DeviceSim(std::string prompt, SimOptions options)
    : m_prompt(std::move(prompt)),
      m_options(std::move(options)),
      m_clock(m_options.clock ? *m_options.clock : SteadyClock()),
      m_faultSeen(m_options.faults.size(), 0),
      m_faultStruck(m_options.faults.size(), 0) {}

DeviceSim::~DeviceSim() {
    Stop();
}

bool DeviceSim::Start() {
    return Launch(OpenPseudoTerminalLine());
}

bool DeviceSim::StartOn(const std::string& ttyPath) {
    return Launch(OpenTtyLine(ttyPath));
}

bool DeviceSim::Launch(std::unique_ptr<SimLine> line) {
    if (!line || m_thread.joinable()) {
        return false;
    }
    m_line = std::move(line);
    ChangeState([&] { m_slavePath = m_line->Path(); });
    m_stop = false;
    m_finished = false;
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        m_line->Close();  // no thread to serve it: the device is as good as unplugged
        return false;
    }
    return true;
}

void DeviceSim::Stop() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ChangeState([&] {
        if (m_line) {
            m_line->Close();
        }
    });
}

std::string DeviceSim::SlavePath() const {
    std::lock_guard guard(m_mutex);
    return m_slavePath;
}

bool DeviceSim::Running() const {
    return m_thread.joinable() && !m_stop && !m_finished;
}

std::vector<std::string> DeviceSim::Commands() const {
    std::lock_guard guard(m_mutex);
    return m_commands;
}

int DeviceSim::SessionsEnded() const {
    std::lock_guard guard(m_mutex);
    return m_sessionsEnded;
}

int DeviceSim::Announcements() const {
    std::lock_guard guard(m_mutex);
    return m_announcements;
}

bool DeviceSim::HostConnected() const {
    std::lock_guard guard(m_mutex);
    return m_hostConnected;
}

bool DeviceSim::Unplugged() const {
    std::lock_guard guard(m_mutex);
    return m_unplugged;
}

int DeviceSim::LineSpeed() const {
    std::lock_guard guard(m_mutex);
    return m_line ? m_line->HostSpeed() : 0;
}

int DeviceSim::DeviceSpeed() const {
    std::lock_guard guard(m_mutex);
    return m_deviceSpeed;
}

bool DeviceSim::WaitFor(const std::function<bool()>& condition, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard guard(m_mutex);
            seen = m_version;
        }
        if (condition()) {
            return true;
        }
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_until(lock, deadline, [&] { return m_version != seen; })) {
            lock.unlock();
            return condition();
        }
    }
}

bool DeviceSim::WaitForSessions(int count, int timeoutMs) const {
    return WaitFor([&] { return SessionsEnded() >= count; }, timeoutMs);
}

bool DeviceSim::WaitForCommands(std::size_t count, int timeoutMs) const {
    return WaitFor([&] { return Commands().size() >= count; }, timeoutMs);
}

void DeviceSim::Run() {
    std::array<std::uint8_t, 4096> buffer{};
    while (!m_stop && !m_lineGone) {
        const bool present = m_line->HostPresent();
        if (present != m_hostPresent) {
            HandleHostPresence(present);
        }
        const int count = m_line->Read(buffer, m_flooding ? 0 : 10);
        if (count < 0) {
            Event("the line is gone");
            m_lineGone = true;
            break;
        }
        if (count > 0 && m_hostPresent) {
            OnBytes(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(count)));
        }
        if (!m_lineGone) {
            HandleIdleAnnouncements();
        }
        if (m_flooding && m_hostPresent && !m_lineGone) {
            Flood();
        }
    }
    m_finished = true;
    ChangeState([] {});
}

void DeviceSim::HandleHostPresence(bool present) {
    m_hostPresent = present;
    ChangeState([&] { m_hostConnected = present; });
    if (present) {
        Event("the host opened the port");
        m_nextAnnounceMs = SteadyMs() + m_options.announceDelayMs;
        return;
    }
    Event("the host closed the port");
    // A device that is not listened to loses what it was saying; the next opener starts clean.
    m_line->Discard();
    m_flooding = false;
    OnHostGone();
    m_inSession = false;
    m_nextAnnounceMs = -1;
    SwitchDeviceSpeed(9600);
}

void DeviceSim::HandleIdleAnnouncements() {
    if (m_inSession || !m_hostPresent || m_nextAnnounceMs < 0 || SteadyMs() < m_nextAnnounceMs) {
        return;
    }
    m_nextAnnounceMs = -1;
    Announce();
}

void DeviceSim::Announce() {
    const auto fault = StrikingFault(
        "prompt", {FaultKind::Silence, FaultKind::Garbage, FaultKind::Truncate, FaultKind::Unplug});
    if (!fault || fault->kind != FaultKind::Silence) {
        Event("prompt " + m_prompt);
        Reply(m_prompt, fault);
        ChangeState([&] { ++m_announcements; });
    }
    const bool repeat =
        m_options.announceEveryMs > 0 && (m_options.reannounceAfterSession || SessionsEnded() == 0);
    m_nextAnnounceMs = repeat ? SteadyMs() + m_options.announceEveryMs : -1;
}

void DeviceSim::ReceivedCommand(std::string command) {
    Event("received \"" + Printable(command) + "\"");
    const bool opensSession = command != "?" && !m_inSession;
    ChangeState([&] { m_commands.push_back(std::move(command)); });
    if (opensSession) {
        m_inSession = true;
        m_nextAnnounceMs = -1;
        Event("session begins");
    }
}

void DeviceSim::EndSession() {
    m_inSession = false;
    OnSessionEnd();
    SwitchDeviceSpeed(9600);
    ChangeState([&] { ++m_sessionsEnded; });
    Event("session ends");
    m_nextAnnounceMs =
        m_options.reannounceAfterSession ? SteadyMs() + m_options.reannounceDelayMs : -1;
}

std::optional<SimFault> DeviceSim::StrikingFault(std::string_view command,
                                                 std::initializer_list<FaultKind> kinds) {
    std::optional<SimFault> striking;
    for (std::size_t i = 0; i < m_options.faults.size(); ++i) {
        const SimFault& fault = m_options.faults[i];
        if (std::find(kinds.begin(), kinds.end(), fault.kind) == kinds.end()) {
            continue;
        }
        const bool matches =
            fault.command.empty() ? command != "prompt" : command.starts_with(fault.command);
        if (!matches || ++m_faultSeen[i] <= fault.skip) {
            continue;
        }
        if (striking || (fault.times != 0 && m_faultStruck[i] >= fault.times)) {
            continue;
        }
        ++m_faultStruck[i];
        striking = fault;
        Event("fault " + std::string(FaultKindName(fault.kind)) + " on " + std::string(command));
    }
    return striking;
}

bool DeviceSim::Reply(std::string_view text, const std::optional<SimFault>& fault) {
    return Reply(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                               text.size()),
                 fault);
}

void DeviceSim::ReplyText(std::string_view command, const std::string& body,
                          std::string_view errorWord, std::string_view promptEnd) {
    const auto fault =
        StrikingFault(command, {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::MissingKey,
                                FaultKind::Garbage, FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    std::string text = body.empty() ? std::string(errorWord) : body;
    if (fault && fault->kind == FaultKind::ErrorReply) {
        text = errorWord;
    } else if (fault && fault->kind == FaultKind::MissingKey) {
        text.clear();
    }
    Reply(text + std::string(promptEnd), fault);
}

bool DeviceSim::Reply(std::span<const std::uint8_t> bytes, const std::optional<SimFault>& fault) {
    std::vector<std::uint8_t> out;
    if (fault && fault->kind == FaultKind::Garbage) {
        out.assign(kNoise.begin(), kNoise.end());
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    const bool cut =
        fault && (fault->kind == FaultKind::Truncate || fault->kind == FaultKind::Unplug ||
                  fault->kind == FaultKind::Endless);
    std::size_t length = out.size();
    if (cut) {
        length = fault->at >= 0 ? std::min(out.size(), static_cast<std::size_t>(fault->at))
                                : out.size() / 2;
    }
    const bool sent = WritePaced(std::span<const std::uint8_t>(out.data(), length));
    if (fault && fault->kind == FaultKind::Endless && !m_flooding) {
        Event("an endless reply begins");
        m_flooding = true;
    }
    if (fault && fault->kind == FaultKind::Unplug) {
        // Closing at once would take the bytes just sent away from the host before it read them.
        PauseMs(kUnplugDelayMs);
        Unplug();
        return false;
    }
    return sent;
}

bool DeviceSim::WritePaced(std::span<const std::uint8_t> bytes) {
    const std::int64_t origin = m_clock.TickMs();
    std::int64_t lineUs = 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (Stopping() || !m_line->HostPresent()) {
            return false;
        }
        const int hostSpeed = m_line->HostSpeed();
        const int speed = hostSpeed > 0 ? hostSpeed : m_deviceSpeed;
        std::size_t chunk = bytes.size() - done;
        if (m_options.pace) {
            // About 10 ms of line time per write.
            chunk = std::min(chunk, static_cast<std::size_t>(std::max(1, speed / 1000)));
        }
        std::vector<std::uint8_t> piece(bytes.begin() + static_cast<std::ptrdiff_t>(done),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(done + chunk));
        if (m_options.emulateSpeedMismatch && hostSpeed > 0 && hostSpeed != m_deviceSpeed) {
            Garble(piece);
        }
        std::size_t written = 0;
        while (written < piece.size()) {
            const int count = m_line->Write(std::span(piece).subspan(written), 20);
            if (count < 0) {
                return false;
            }
            if (count == 0 && (Stopping() || !m_line->HostPresent())) {
                return false;
            }
            written += static_cast<std::size_t>(count);
        }
        done += chunk;
        if (m_options.pace) {
            lineUs += static_cast<std::int64_t>(chunk) * 10'000'000 / speed;
            const std::int64_t wait = origin + lineUs / 1000 - m_clock.TickMs();
            if (wait > 0) {
                m_clock.SleepMs(static_cast<int>(wait));
            }
        }
    }
    return true;
}

void DeviceSim::Flood() {
    std::array<std::uint8_t, 4096> letters{};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        letters[i] = static_cast<std::uint8_t>('A' + i % 26);
    }
    WritePaced(letters);
}

void DeviceSim::Unplug() {
    Event("unplugged");
    m_lineGone = true;
    ChangeState([&] {
        m_line->Close();
        m_unplugged = true;
    });
}

void DeviceSim::SwitchDeviceSpeed(int speed) {
    if (speed == m_deviceSpeed) {
        return;
    }
    ChangeState([&] { m_deviceSpeed = speed; });
    m_line->SetDeviceSpeed(speed);
    Event("device speed " + std::to_string(speed) + " bit/s");
}

void DeviceSim::AwaitHostSpeed(int speed) {
    if (m_line->HostSpeed() > 0) {
        const std::int64_t deadline = SteadyMs() + m_options.speedFollowMs;
        while (!Stopping() && m_line->HostPresent() && m_line->HostSpeed() != speed &&
               SteadyMs() < deadline) {
            PauseMs(2);
        }
        if (m_line->HostSpeed() != speed) {
            Event("the host did not follow to " + std::to_string(speed) + " bit/s");
        }
    }
    // The host discards its input right after switching; an answer must come after that.
    for (int left = m_options.settleMs; left > 0 && !Stopping(); left -= 5) {
        PauseMs(std::min(left, 5));
    }
}

void DeviceSim::Event(const std::string& text) {
    if (m_options.onEvent) {
        m_options.onEvent(text);
    }
}

void DeviceSim::Deleted(const std::string& source) {
    if (m_options.onDeleted) {
        m_options.onDeleted(source);
    }
}

}  // namespace zep::sim
