#pragma once
// The device's end of the serial line: a pseudo-terminal the simulator created, or a tty given
// by path (a real port wired to the host, one end of a pair made by another tool).
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zep::sim {

class SimLine {
public:
    virtual ~SimLine() = default;
    virtual const std::string& Path() const = 0;
    // Bytes read within timeoutMs, 0 for none, -1 when the line is gone.
    virtual int Read(std::span<std::uint8_t> into, int timeoutMs) = 0;
    // Count written within timeoutMs (maybe fewer), -1 when the line is gone.
    virtual int Write(std::span<const std::uint8_t> bytes, int timeoutMs) = 0;
    // The host's speed in bit/s, 0 when the device cannot see it (a real line).
    virtual int HostSpeed() const = 0;
    // Whether the host has the port open (always true where that cannot be seen).
    virtual bool HostPresent() const = 0;
    // The device's own speed, for lines where each end has one.
    virtual void SetDeviceSpeed(int speed) = 0;
    virtual void Discard() = 0;
    virtual void Close() = 0;
};

// A new pseudo-terminal; nullptr when none can be had.
std::unique_ptr<SimLine> OpenPseudoTerminalLine();
// An existing tty at 9600 bit/s; nullptr when it cannot be opened.
std::unique_ptr<SimLine> OpenTtyLine(const std::string& path);

}  // namespace zep::sim
