#pragma once
// Fakes of what the controller drives: the window, the subsystems and the drive table. They
// share one event list (the fixture adds the serial port's calls), so tests can check the
// order of steps across them.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "app/subsystems.h"
#include "core/worker_lock.h"
#include "platform/autostart.h"
#include "platform/serial_port.h"

namespace zep::test {

using Events = std::vector<std::string>;

inline bool Contains(const Events& events, const std::string& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

// The bytes still waiting on the port (read out, so they are gone afterwards).
inline std::string Drain(SerialPort& serial, int port) {
    std::string bytes;
    for (int byte = serial.PortReadByte(port); byte >= 0; byte = serial.PortReadByte(port)) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

inline std::ptrdiff_t IndexOf(const Events& events, const std::string& event) {
    const auto found = std::find(events.begin(), events.end(), event);
    return found == events.end() ? -1 : found - events.begin();
}

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
    void StopConversionAfterFile() override { m_events.push_back("StopConversionAfterFile"); }
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
    void RequestWorkerStop() override { m_events.push_back("RequestWorkerStop"); }
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

    std::deque<std::filesystem::path> newFolders;  // answers of the next searches
    std::vector<Drive> drives;
    std::vector<int> rearmed;

    void Rescan() override { m_events.push_back("Rescan"); }
    void Clear() override {
        m_events.push_back("Clear");
        drives.clear();
    }
    std::optional<std::filesystem::path> FindNewCardFolder() override {
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

// The session's autostart entry, held in memory: the program file it names, if any.
class FakeAutostart final : public Autostart {
public:
    bool Query(const std::filesystem::path& programFile) const override {
        return entry == programFile;
    }
    bool Set(const std::filesystem::path& programFile, bool on) override {
        entry = on ? std::optional(programFile) : std::nullopt;
        return true;
    }
    std::optional<std::filesystem::path> entry;
};

}  // namespace zep::test
