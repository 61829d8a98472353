#pragma once
// Joins the port the program holds open to one simulated device at a time, so that devices can
// be plugged in and out behind a port that stays the same, as they would be at a real COM port.
// The speed the program sets on its port is carried over to the device's line.
#include <atomic>
#include <string>

#include "tools/common/pseudo_terminal.h"
#include "tools/common/raw_tty.h"

namespace zep::demo {

class LineRelay {
public:
    // The port the program opens; false when no pseudo-terminal is to be had.
    bool Open();
    const std::string& PortPath() const { return m_port.SlavePath(); }

    // Connects the device end at devicePath (the slave side of a simulator's line).
    bool Plug(const std::string& devicePath);
    void Unplug();

    // Moves what is waiting in either direction; returns false when the device line is gone.
    bool Pump(int waitMs);

private:
    void FollowHostSpeed();

    tools::PseudoTerminal m_port;
    tools::RawTty m_device;
};

}  // namespace zep::demo
