#pragma once
// Fakes of what the controller drives: the window, the subsystems, the drive table and the
// serial port. They share one event list, so tests can check the order of steps across them.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "app/subsystems.h"
#include "app/worker/worker_lock.h"
#include "platform/serial_port.h"

namespace zep::test {

using Events = std::vector<std::string>;

inline bool Contains(const Events& events, const std::string& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

inline std::ptrdiff_t IndexOf(const Events& events, const std::string& event) {
    const auto found = std::find(events.begin(), events.end(), event);
    return found == events.end() ? -1 : found - events.begin();
}

class FakeSerial final : public SerialPort {
  public:
    explicit FakeSerial(Events& events) : m_events(events) {}

    std::deque<std::uint8_t> input;
    bool cts = false;
    int openResult = 0;
    int lineParamsResult = 0;
    std::string written;
    int calls = 0;  // every call of any operation
    std::vector<int> openPorts;

    void Receive(const std::string& bytes) {
        input.insert(input.end(), bytes.begin(), bytes.end());
    }
    std::string Unread() const { return std::string(input.begin(), input.end()); }

    int PortOpen(int port) override {
        Note("PortOpen " + std::to_string(port));
        if (openResult == 0) {
            openPorts.push_back(port);
        }
        return openResult;
    }
    void PortClose(int port) override {
        Note("PortClose " + std::to_string(port));
        std::erase(openPorts, port);
    }
    int PortSetLineParams(int port, int rate, int mode) override {
        Note("PortSetLineParams " + std::to_string(port) + " " + std::to_string(rate) + " " +
             std::to_string(mode));
        return lineParamsResult;
    }
    int PortSetFlowControl(int port, int mode) override {
        Note("PortSetFlowControl " + std::to_string(port) + " " + std::to_string(mode));
        return 0;
    }
    int PortGetSpeed(int) override { return Count(9600); }
    int PortSetSpeed(int, int) override { return Count(0); }
    int PortGetReadTimeouts(int, std::uint32_t&, std::uint32_t&) override { return Count(0); }
    int PortSetReadTimeouts(int port, std::uint32_t total, std::uint32_t interval) override {
        Note("PortSetReadTimeouts " + std::to_string(port) + " " + std::to_string(total) + " " +
             std::to_string(interval));
        return 0;
    }
    int PortReadByte(int) override {
        ++calls;
        if (input.empty()) {
            return -1;
        }
        const int byte = input.front();
        input.pop_front();
        return byte;
    }
    int PortRead(int, std::span<std::uint8_t>) override { return Count(0); }
    int PortWriteByte(int, std::uint8_t byte) override {
        ++calls;
        written += static_cast<char>(byte);
        return 1;
    }
    int PortWrite(int, std::span<const std::uint8_t> bytes) override {
        return Count(static_cast<int>(bytes.size()));
    }
    int PortFlush(int, int) override { return Count(0); }
    int PortOutputPending(int) override { return Count(0); }
    int PortLineStatus(int) override { return Count(cts ? 1 : 0); }

  private:
    void Note(const std::string& event) {
        ++calls;
        m_events.push_back(event);
    }
    int Count(int result) {
        ++calls;
        return result;
    }
    Events& m_events;
};

class FakeView final : public MainView {
  public:
    explicit FakeView(Events& events) : m_events(events) {}

    struct Line {
        Pane pane;
        std::string text;
    };
    std::vector<Line> lines;
    std::vector<std::string> bars;  // "position 1 40", "caption 2 name"
    std::optional<bool> portSelectorEnabled;
    std::vector<int> listedPorts;
    Controls controls;
    bool controlsReadable = true;
    std::vector<DriveButton> buttons;
    bool trayIcon = false;
    bool visible = true;
    int restores = 0;
    std::vector<std::string> previews;
    std::optional<std::vector<SelectionKey>> previewAnswer = std::vector<SelectionKey>{};
    std::function<void()> duringPreview;
    std::vector<std::string> errors;

    std::vector<std::string> Upper() const { return Texts(Pane::Upper); }
    std::vector<std::string> Lower() const { return Texts(Pane::Lower); }

    void AddLine(Pane pane, const std::string& line) override { lines.push_back({pane, line}); }
    void SetBarPosition(int bar, int position) override {
        bars.push_back("position " + std::to_string(bar) + " " + std::to_string(position));
    }
    void SetBarCaption(int bar, const std::string& caption) override {
        bars.push_back("caption " + std::to_string(bar) + " " + caption);
    }
    void FillPortSelector(const std::vector<int>& ports, int selectedPort) override {
        listedPorts = ports;
        const bool listed = std::find(ports.begin(), ports.end(), selectedPort) != ports.end();
        controls.port = listed ? selectedPort : 0;
        m_events.push_back("FillPortSelector");
    }
    void EnablePortSelector(bool enabled) override { portSelectorEnabled = enabled; }
    std::optional<Controls> ReadControls() override {
        if (!controlsReadable) {
            return std::nullopt;
        }
        return controls;
    }
    void ShowOptions(const Options& options) override {
        controls.options = options;
        m_events.push_back("ShowOptions");
    }
    void ShowDriveButtons(const std::vector<DriveButton>& shown) override { buttons = shown; }
    void SetTrayIcon(bool present, const std::string&) override {
        trayIcon = present;
        m_events.push_back(present ? "TrayIcon on" : "TrayIcon off");
    }
    void UpdateTooltip(const std::string& tooltip) override {
        m_events.push_back("Tooltip " + tooltip);
    }
    void ShowWindow(bool show) override { visible = show; }
    void RestoreWindow() override { ++restores; }
    std::optional<std::vector<SelectionKey>> ShowPreview(const std::string& folder) override {
        previews.push_back(folder);
        if (duringPreview) {
            duringPreview();
        }
        return previewAnswer;
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }

  private:
    std::vector<std::string> Texts(zep::Pane pane) const {
        std::vector<std::string> texts;
        for (const auto& line : lines) {
            if (line.pane == pane) {
                texts.push_back(line.text);
            }
        }
        return texts;
    }
    Events& m_events;
};

// Starting a worker takes the lock on the worker's behalf, as a real worker does first; the
// test ends the "worker" by releasing it.
class FakeSubsystems final : public Subsystems {
  public:
    FakeSubsystems(Events& events, WorkerLock& lock) : m_events(events), m_lock(lock) {}

    std::vector<WorkerParams> started;
    std::optional<std::vector<int>> portNumbers = std::vector<int>{};
    std::atomic<int>* convertBusy = nullptr;
    const std::atomic<bool>* saveBin = nullptr;
    WorkerReport* report = nullptr;
    std::function<void()> onTessalClose;

    void LoadDrivers(WorkerReport& sink) override {
        m_events.push_back("LoadDrivers");
        sink.LogUpper("driver line");
    }
    void UnloadDrivers() override { m_events.push_back("UnloadDrivers"); }
    void StartConversion(WorkerReport& sink, std::atomic<int>& busy,
                         const std::atomic<bool>& keep) override {
        m_events.push_back("StartConversion");
        report = &sink;
        convertBusy = &busy;
        saveBin = &keep;
    }
    void StopWorkers() override { m_events.push_back("StopWorkers"); }
    void StartExchange(Exchange exchange, const WorkerParams& params, SerialPort&,
                       WorkerReport& sink) override {
        static const char* const kNames[] = {"Tessal", "Kolvar", "Zep"};
        m_events.push_back(std::string("StartExchange ") + kNames[static_cast<int>(exchange)]);
        Run(params, sink);
    }
    void StartCardImport(const WorkerParams& params, WorkerReport& sink) override {
        m_events.push_back("StartCardImport");
        Run(params, sink);
    }
    void TessalClose(SerialPort&, WorkerReport&) override {
        m_events.push_back("TessalClose");
        if (onTessalClose) {
            onTessalClose();
        }
    }
    std::optional<std::vector<int>> SerialPortNumbers() override {
        m_events.push_back("SerialPortNumbers");
        return portNumbers;
    }

    // Ends the running "worker".
    void FinishWorker() { m_lock.Release(); }

  private:
    void Run(const WorkerParams& params, WorkerReport& sink) {
        started.push_back(params);
        report = &sink;
        m_lock.Acquire();
    }
    Events& m_events;
    WorkerLock& m_lock;
};

class FakeDrives final : public DriveWatch {
  public:
    explicit FakeDrives(Events& events) : m_events(events) {}

    std::deque<std::string> newFolders;  // answers of the next searches
    std::vector<Drive> drives;
    std::vector<int> rearmed;

    void Rescan() override { m_events.push_back("Rescan"); }
    void Clear() override {
        m_events.push_back("Clear");
        drives.clear();
    }
    std::optional<std::string> FindNewCardFolder() override {
        m_events.push_back("Find");
        if (newFolders.empty()) {
            return std::nullopt;
        }
        auto folder = newFolders.front();
        newFolders.pop_front();
        return folder;
    }
    void Rearm(int k) override { rearmed.push_back(k); }
    std::vector<Drive> Drives() const override { return drives; }

  private:
    Events& m_events;
};

}  // namespace zep::test
