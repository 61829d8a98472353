// The terminal layer's speed codes for the line speeds of the serial port component.
#include "platform/posix/termios_speed.h"

#include <array>
#include <utility>

namespace zep::posix {

namespace {

constexpr std::array<std::pair<int, speed_t>, 18> kSpeeds{{
    {50, B50},
    {75, B75},
    {110, B110},
    {134, B134},
    {150, B150},
    {200, B200},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {1800, B1800},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
}};

}  // namespace

speed_t SpeedCode(int bitsPerSecond) {
    for (const auto& [speed, code] : kSpeeds) {
        if (speed == bitsPerSecond) {
            return code;
        }
    }
    return B0;
}

int SpeedFromCode(speed_t code) {
    for (const auto& [speed, known] : kSpeeds) {
        if (known == code) {
            return speed;
        }
    }
    return 0;
}

void MakeRawLine(termios& settings) {
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

}  // namespace zep::posix
