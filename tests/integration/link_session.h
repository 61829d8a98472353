#pragma once
// One exchange against a simulated device through the real serial port component: the device
// is reached as COM<n> through a link in a private configuration folder, the port is opened as
// the poll opens it, and the prompt is consumed as the poll consumes it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "core/clock.h"
#include "core/worker_environment.h"
#include "core/worker_params.h"
#include "platform/serial_port_factory.h"
#include "tests/support/recording_report.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zep::test {

class LinkSession {
public:
    static constexpr int kPort = 61;

    LinkSession() {
        params.port = kPort;
        params.deleteData = true;
    }
    ~LinkSession() { port->PortClose(kPort); }

    // Opens COM<kPort> on the device's tty and waits (up to 5 s) for its prompt.
    bool Connect(const std::string& tty, const std::string& prompt) {
        const auto links = m_home.path() / "zepimport" / "ports";
        std::filesystem::create_directories(links);
        std::filesystem::create_symlink(tty, links / ("COM" + std::to_string(kPort)));
        if (port->PortOpen(kPort) != 0 || port->PortSetLineParams(kPort, 12, 3) != 0 ||
            port->PortSetFlowControl(kPort, 0) != 0 ||
            port->PortSetReadTimeouts(kPort, kNeverWait, 1) != 0) {
            return false;
        }
        std::string seen;
        for (int waited = 0; waited < 5000; waited += 10) {
            for (int byte; (byte = port->PortReadByte(kPort)) >= 0;) {
                seen.push_back(static_cast<char>(byte));
            }
            if (seen.find(prompt) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::vector<std::vector<std::uint8_t>> SavedFiles(const std::string& extension) const {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& name : ListFiles(folder.path())) {
            if (std::filesystem::path(name).extension() == extension) {
                out.push_back(ReadFileBytes(folder.path() / name));
            }
        }
        return out;
    }

    // The poll's line settings are back and the lock is free; the last line closes the import.
    void ExpectClosed() const {
        EXPECT_FALSE(lock.IsHeld());
        EXPECT_EQ(port->PortGetSpeed(kPort), 9600);
        std::uint32_t total = 0, interval = 0;
        EXPECT_EQ(port->PortGetReadTimeouts(kPort, total, interval), 0);
        EXPECT_EQ(total, kNeverWait);
        EXPECT_EQ(interval, 1u);
        const auto upper = report.Upper();
        ASSERT_FALSE(upper.empty());
        EXPECT_EQ(upper.back(), "$03Импорт данных завершен.");
    }

    TempDir folder;
    RecordingReport report;
    WorkerLock lock;
    WorkerParams params;
    WorkerEnvironment env{report, DefaultClock(), lock, folder.path()};
    std::unique_ptr<SerialPort> port = CreateSerialPort();

private:
    TempDir m_home;
    ScopedEnv m_homeEnv{"XDG_CONFIG_HOME", m_home.path().string()};
};

}  // namespace zep::test
