#pragma once
// A serial line opened by path in raw mode (8N1, no flow control, no translation), for tools and
// tests that speak to a device or a simulator without the program's serial port component.
// POSIX only, like the simulators.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zep::tools {

class RawTty {
public:
    RawTty();
    ~RawTty();
    RawTty(RawTty&& other) noexcept;
    RawTty& operator=(RawTty&& other) noexcept;
    RawTty(const RawTty&) = delete;
    RawTty& operator=(const RawTty&) = delete;

    // False when the path cannot be opened, is not a terminal or refuses the speed.
    bool Open(const std::string& path, int speed);
    bool IsOpen() const;

    // Takes effect after the output already queued has been sent.
    bool SetSpeed(int speed);
    // The speed in force in bit/s, 0 when unknown.
    int Speed() const;

    // Waits up to timeoutMs for the first byte and returns what is there, at most into.size();
    // 0 when nothing came, -1 when the line is gone (device unplugged, closed).
    int Read(std::span<std::uint8_t> into, int timeoutMs);
    // Writes all bytes unless the line fails; returns the count written or -1.
    int Write(std::span<const std::uint8_t> bytes);
    // Discards pending input and output.
    void Discard();
    void Close();

private:
    struct Line;  // the open line
    std::unique_ptr<Line> m_line;
};

}  // namespace zep::tools
