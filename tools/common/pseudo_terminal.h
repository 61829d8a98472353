#pragma once
// The device end of a pseudo-terminal: a simulated device holds the master side, the program
// under test opens the slave path like any serial port. Closing the master is the device being
// unplugged: reads on the slave side then fail. POSIX only, like the simulators.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zep::tools {

class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(PseudoTerminal&& other) noexcept;
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // A new master in raw mode at 9600 bit/s, 8N1. False when the system has no pseudo-terminal
    // left or refuses one.
    bool Open();
    bool IsOpen() const;
    const std::string& SlavePath() const { return m_slavePath; }

    // Waits up to timeoutMs for bytes from the slave side and returns how many were read, 0 when
    // none came (also while no slave is open), -1 once the master is closed or broken.
    int Read(std::span<std::uint8_t> into, int timeoutMs);
    // Writes what the slave side can take within timeoutMs; returns the count (possibly fewer
    // than given, 0 when the line is full), -1 on error.
    int Write(std::span<const std::uint8_t> bytes, int timeoutMs);

    // Speed in bit/s that the slave side has set (master and slave share one set of line
    // settings), 0 when it is not a standard speed or the master is closed.
    int LineSpeed() const;
    // Whether some process holds the slave side open.
    bool SlaveOpen() const;
    // Discards what is queued in both directions, so a later opener does not see stale bytes.
    void Discard();
    void Close();

private:
    struct Master;  // the open master side
    std::unique_ptr<Master> m_master;
    std::string m_slavePath;
};

}  // namespace zep::tools
