#pragma once
// The COM port numbers offered in the port selector: one reading of the ports present,
// ascending, at most 255, handed out one by one.
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace zep {

class SerialPortList {
public:
    // Yields the port numbers in discovery order, or nullopt when the source cannot be read.
    using Source = std::function<std::optional<std::vector<int>>()>;

    static constexpr int kMaxPorts = 255;

    explicit SerialPortList(const Source& source);

    // 0 when the source was read; the list is used only then.
    int Error() const { return m_error; }
    int Count() const { return m_count; }
    // index -1: the number at the cursor, advancing it; index >= 0: that entry, cursor kept.
    // 0 when the index is at or past the count.
    int Next(int index);

private:
    void Insert(int number);

    int m_error = 0;
    int m_count = 0;
    int m_cursor = 0;
    std::array<int, kMaxPorts> m_ports{};
};

}  // namespace zep
