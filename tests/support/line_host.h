#pragma once
// The host's end of a serial line in tests that talk to a device or simulator directly: raw
// bytes out, bytes in until a terminator, a count or a quiet spell.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/raw_tty.h"

namespace zep::test {

class LineHost {
public:
    // Opens the path raw at the speed; false when it cannot.
    bool Open(const std::string& path, int speed = 9600);
    void Close() { m_tty.Close(); }
    // Switches the speed and discards what was received, as the exchanges do.
    bool SwitchSpeed(int speed);

    void Send(std::string_view text);
    // Bytes up to and including the first occurrence of the terminator; what came so far when it
    // did not come within timeoutMs.
    std::string ReadUntil(std::string_view terminator, int timeoutMs = 2000);
    // Exactly count bytes, or fewer when the time ran out or the line went away.
    std::vector<std::uint8_t> ReadCount(std::size_t count, int timeoutMs = 2000);
    // Everything that arrives until the line has been quiet for quietMs.
    std::string ReadQuiet(int quietMs);
    // True when a read reported the line gone (the device unplugged).
    bool LineLost() const { return m_lost; }

private:
    bool ReadMore(int timeoutMs);

    tools::RawTty m_tty;
    std::string m_pending;  // received but not yet handed out
    bool m_lost = false;
};

std::string AsText(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> AsBytes(std::string_view text);

}  // namespace zep::test
