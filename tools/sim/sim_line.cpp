// The two lines a simulated device can serve: a pseudo-terminal of its own or a given tty.
#include "tools/sim/sim_line.h"

#include "tools/common/pseudo_terminal.h"
#include "tools/common/raw_tty.h"

namespace zep::sim {

namespace {

using tools::PseudoTerminal;
using tools::RawTty;

class PseudoTerminalLine final : public SimLine {
public:
    explicit PseudoTerminalLine(PseudoTerminal terminal)
        : m_terminal(std::move(terminal)), m_path(m_terminal.SlavePath()) {}

    const std::string& Path() const override { return m_path; }
    int Read(std::span<std::uint8_t> into, int timeoutMs) override {
        return m_terminal.Read(into, timeoutMs);
    }
    int Write(std::span<const std::uint8_t> bytes, int timeoutMs) override {
        return m_terminal.Write(bytes, timeoutMs);
    }
    int HostSpeed() const override { return m_terminal.LineSpeed(); }
    bool HostPresent() const override { return m_terminal.SlaveOpen(); }
    // Both ends of a pseudo-terminal share one speed, the host's.
    void SetDeviceSpeed(int) override {}
    void Discard() override { m_terminal.Discard(); }
    void Close() override { m_terminal.Close(); }

private:
    PseudoTerminal m_terminal;
    std::string m_path;
};

class TtyLine final : public SimLine {
public:
    TtyLine(RawTty tty, std::string path) : m_tty(std::move(tty)), m_path(std::move(path)) {}

    const std::string& Path() const override { return m_path; }
    int Read(std::span<std::uint8_t> into, int timeoutMs) override {
        return m_tty.Read(into, timeoutMs);
    }
    int Write(std::span<const std::uint8_t> bytes, int) override { return m_tty.Write(bytes); }
    int HostSpeed() const override { return 0; }
    bool HostPresent() const override { return m_tty.IsOpen(); }
    void SetDeviceSpeed(int speed) override { m_tty.SetSpeed(speed); }
    void Discard() override { m_tty.Discard(); }
    void Close() override { m_tty.Close(); }

private:
    RawTty m_tty;
    std::string m_path;
};

}  // namespace

std::unique_ptr<SimLine> OpenPseudoTerminalLine() {
    PseudoTerminal terminal;
    if (!terminal.Open()) {
        return nullptr;
    }
    return std::make_unique<PseudoTerminalLine>(std::move(terminal));
}

std::unique_ptr<SimLine> OpenTtyLine(const std::string& path) {
    RawTty tty;
    if (!tty.Open(path, 9600)) {
        return nullptr;
    }
    return std::make_unique<TtyLine>(std::move(tty), path);
}

}  // namespace zep::sim
