#pragma once
// The serial port component of this platform. One instance serves every COM port of the
// process; ports are opened and addressed by their number (see serial_device_map.h).
#include <memory>

#include "platform/serial_port.h"

namespace zep {

std::unique_ptr<SerialPort> CreateSerialPort();

}  // namespace zep
