// Joins the program's port to one simulated device at a time, carrying the speed over, so that
// devices can be plugged in and out behind a port that stays the same.
#include "tools/demo/line_relay.h"

#include <array>
#include <cstdint>

namespace zep::demo {

bool LineRelay::Open() {
    return m_port.Open();
}

bool LineRelay::Plug(const std::string& devicePath) {
    const int speed = m_port.LineSpeed();
    return m_device.Open(devicePath, speed > 0 ? speed : 9600);
}

void LineRelay::Unplug() {
    m_device.Close();
}

void LineRelay::FollowHostSpeed() {
    const int hostSpeed = m_port.LineSpeed();
    if (hostSpeed > 0 && hostSpeed != m_device.Speed()) {
        m_device.SetSpeed(hostSpeed);
    }
}

bool LineRelay::Pump(int waitMs) {
    if (!m_device.IsOpen()) {
        return false;
    }
    FollowHostSpeed();
    std::array<std::uint8_t, 4096> buffer{};
    const int fromHost = m_port.Read(buffer, waitMs);
    // The program may have switched its speed while the read waited and then sent at once: the
    // device must see the new speed before the command, or it answers at the old one.
    FollowHostSpeed();
    if (fromHost > 0 && m_device.Write(std::span(buffer.data(), fromHost)) < 0) {
        return false;
    }
    const int fromDevice = m_device.Read(buffer, fromHost > 0 ? 0 : 1);
    if (fromDevice < 0) {
        return false;
    }
    std::size_t sent = 0;
    while (sent < static_cast<std::size_t>(fromDevice)) {
        const int n = m_port.Write(std::span(buffer.data() + sent, fromDevice - sent), 1000);
        if (n <= 0) {
            break;  // the program is not reading: what it does not take is lost, as on a wire
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace zep::demo
