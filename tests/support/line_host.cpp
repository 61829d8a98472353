// The host's end of a serial line for tests that talk to a device or simulator directly.
#include "tests/support/line_host.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <span>
#include <utility>

namespace zep::test {

namespace {

using SteadyClock = std::chrono::steady_clock;

int MsLeft(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

bool LineHost::Open(const std::string& path, int speed) {
    m_pending.clear();
    m_lost = false;
    return m_tty.Open(path, speed);
}

bool LineHost::SwitchSpeed(int speed) {
    const bool switched = m_tty.SetSpeed(speed);
    m_tty.Discard();
    m_pending.clear();
    return switched;
}

void LineHost::Send(std::string_view text) {
    m_tty.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool LineHost::ReadMore(int timeoutMs) {
    std::array<std::uint8_t, 4096> buffer{};
    const int count = m_tty.Read(buffer, timeoutMs);
    if (count < 0) {
        m_lost = true;
        return false;
    }
    m_pending.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(count));
    return count > 0;
}

std::string LineHost::ReadUntil(std::string_view terminator, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto found = m_pending.find(terminator);
        if (found != std::string::npos) {
            const std::string line = m_pending.substr(0, found + terminator.size());
            m_pending.erase(0, found + terminator.size());
            return line;
        }
        if (m_lost || MsLeft(deadline) == 0) {
            return std::exchange(m_pending, {});
        }
        ReadMore(MsLeft(deadline));
    }
}

std::vector<std::uint8_t> LineHost::ReadCount(std::size_t count, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_pending.size() < count && !m_lost && MsLeft(deadline) > 0) {
        ReadMore(MsLeft(deadline));
    }
    const std::size_t taken = std::min(count, m_pending.size());
    std::vector<std::uint8_t> bytes(m_pending.begin(),
                                    m_pending.begin() + static_cast<std::ptrdiff_t>(taken));
    m_pending.erase(0, taken);
    return bytes;
}

std::string LineHost::ReadQuiet(int quietMs) {
    while (!m_lost && ReadMore(quietMs)) {
    }
    return std::exchange(m_pending, {});
}

std::string AsText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> AsBytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace zep::test
