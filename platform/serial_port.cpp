// The reasoned set-up calls of a serial port component that cannot tell a reason: the plain
// calls' outcome.
#include "platform/serial_port.h"

namespace zep {

namespace {

SystemDone DoneIfZero(int result) {
    return result == 0 ? SystemDone() : SystemDone(SystemError{});
}

}  // namespace

SystemDone SerialPort::PortOpenWithReason(int port) {
    return DoneIfZero(PortOpen(port));
}

SystemDone SerialPort::PortSetLineParamsWithReason(int port, int rateCode, int modeCode) {
    return DoneIfZero(PortSetLineParams(port, rateCode, modeCode));
}

SystemDone SerialPort::PortSetFlowControlWithReason(int port, int mode) {
    return DoneIfZero(PortSetFlowControl(port, mode));
}

SystemDone SerialPort::PortSetReadTimeoutsWithReason(int port, std::uint32_t total,
                                                     std::uint32_t interval) {
    return DoneIfZero(PortSetReadTimeouts(port, total, interval));
}

}  // namespace zep
