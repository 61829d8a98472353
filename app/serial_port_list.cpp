// The COM port numbers offered in the port selector: read once, sorted ascending, at most 255.
#include "app/serial_port_list.h"

namespace zep {

namespace {

constexpr int kSourceUnreadable = 2;

}  // namespace

SerialPortList::SerialPortList(const Source& source) {
    const auto numbers = source ? source() : std::nullopt;
    if (!numbers) {
        m_error = kSourceUnreadable;
        return;
    }
    for (const int number : *numbers) {
        if (m_count >= kMaxPorts) {
            break;
        }
        // Only real COM numbers; the selector's item data 0 means "no port".
        if (number > 0) {
            Insert(number);
        }
    }
}

// Insertion from the right: equal numbers keep their order of arrival, duplicates stay.
void SerialPortList::Insert(int number) {
    int at = m_count++;
    while (at > 0 && number < m_ports[at - 1]) {
        m_ports[at] = m_ports[at - 1];
        --at;
    }
    m_ports[at] = number;
}

int SerialPortList::Next(int index) {
    if (index < 0) {
        if (m_cursor >= m_count) {
            return 0;
        }
        return m_ports[m_cursor++];
    }
    return index < m_count ? m_ports[index] : 0;
}

}  // namespace zep
