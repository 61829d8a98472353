#pragma once
// The main window's controller, independent of any toolkit: it holds the settings, the open
// port, the worker parameters and the poll state, runs the one-second poll that starts the
// workers, turns the workers' messages into pane and bar updates, and carries out the guarded
// exit and the closing steps. Everything here runs on one thread (the window's); workers reach
// it only through the message queue, the conversion worker also through m_convertBusy.
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/log_sink.h"
#include "app/main_view.h"
#include "app/message_queue.h"
#include "app/prompt_matcher.h"
#include "app/subsystems.h"
#include "core/clock.h"
#include "core/import_history.h"
#include "core/worker_lock.h"
#include "core/worker_params.h"
#include "platform/autostart.h"
#include "platform/dispatch_values.h"
#include "platform/serial_port.h"

namespace zep {

// What the controller works with; the start-up (app/startup.h) makes it over the real
// subsystems, the tests over fakes. The front end adds its view.
struct ControllerSetup {
    Subsystems& subsystems;
    DriveWatch& drives;
    SerialPort& serial;
    WorkerLock& lock;
    Clock& clock;
    std::filesystem::path programFolder;  // raw files, settings file, list layout file
    std::filesystem::path iniPath;        // settings file
    std::filesystem::path programFile;    // the executable, named by the autostart entry
    Autostart& autostart;
    DispatchValues values;  // the help file's "Path"
    std::function<void(const std::filesystem::path&)> openHelp;
    // What the preview marks as imported before; none: no marks.
    const ImportHistory* history = nullptr;
    // Lines of the start itself (a warning about the program folder), shown first in the
    // upper pane: a message box there would hold an unattended start until someone answers it.
    std::vector<std::string> startLines = {};
    // Every line of both panes goes here too (the log file); none: nowhere else.
    LogSink* logFile = nullptr;
};

// The check boxes whose click the controller handles.
enum class OptionBox {
    RunMinimized,
    ExpandActive,
    DeleteAfter,
    AutoStart,
    Removable,
    DeleteFlash,
    Preview
};

enum class SystemCommand { Minimize, Restore };

class MainController {
public:
    MainController(MainView& view, ControllerSetup setup);
    ~MainController();
    MainController(const MainController&) = delete;
    MainController& operator=(const MainController&) = delete;

    // Drivers, settings (which open the port), port list, drives, the tray if asked for, and
    // the conversion worker. startMinimized: the program was started to run minimised.
    void Initialise(bool startMinimized);

    // One tick of the one-second poll.
    void PollTick();
    // Handles every posted message, oldest first.
    void DeliverMessages();
    MessageQueue& Messages() { return m_messages; }

    void OnSystemCommand(SystemCommand command);
    void RestoreFromTray();
    void OnPortSelected();
    void OnOptionClicked(OptionBox box);
    void OnDriveButton(int k);
    void OnHelp();

    // Accepted only while no worker and no conversion pass is busy. A request refused is not
    // forgotten (ExitPending): no exchange or card import starts any more, the running exchange
    // is asked to give way at its next wait, and the front end asks again until it is accepted.
    bool RequestExit();
    // The exit a signal asks for, repeated until accepted: as RequestExit, but once no worker
    // is busy a conversion pass is ended after the file in hand instead of being waited for.
    bool RequestExitBetweenFiles();
    bool ExitPending() const { return m_exitPending; }
    // The closing steps, in order: tray icon removed, settings saved, Tessal closing step,
    // port closed, workers stopped, drivers unloaded. False when the settings could not be
    // saved (the log says so); every other step runs all the same.
    bool Close();

    // State, for the front ends.
    int Port() const { return m_port; }
    const Options& CurrentOptions() const { return m_options; }
    const std::string& Tooltip() const { return m_tooltip; }
    bool InTray() const { return m_inTray; }
    bool WorkerBusy() const { return m_workerBusy; }
    bool SaveBin() const { return m_saveBin.load(); }
    std::atomic<int>& ConvertBusy() { return m_convertBusy; }

private:
    // Settings and data exchange.
    void LoadSettings();
    bool SaveSettings();
    bool ReadOptions();
    void ListPorts();
    // Port.
    enum class OpenFailure { Logged, Silent };
    void OpenPort(OpenFailure failure = OpenFailure::Logged);
    struct PortFailure {
        std::string_view line;
        SystemError reason;
    };
    std::optional<PortFailure> SetUpPort();
    void ClosePort();
    // Adapters that come and go.
    void DropVanishedPort();
    void FollowAdapters();
    void SetTooltip(std::string tooltip);
    // Tray.
    void PostMinimize();
    // Drives.
    void RescanDrives();
    void RefreshDriveButtons();
    // Poll steps.
    void EndFinishedWorker();
    bool StartCardImportIfNew();
    void PollPort();
    void StartExchange(int slot);
    void AddLine(const std::string& line);
    // The one way a line reaches a pane: the view shows it, the log file keeps it.
    void ShowLine(Pane pane, const std::string& line);

    MainView& m_view;
    Subsystems& m_subsystems;
    DriveWatch& m_drives;
    SerialPort& m_serial;
    WorkerLock& m_lock;
    Clock& m_clock;
    std::filesystem::path m_iniPath;
    std::filesystem::path m_programFile;
    Autostart& m_autostart;
    DispatchValues m_values;
    std::function<void(const std::filesystem::path&)> m_openHelp;
    const ImportHistory* m_history;
    std::vector<std::string> m_startLines;
    LogSink* m_logFile;

    MessageQueue m_messages;

    Options m_options;
    int m_port = 0;                                 // the open port; 0 = none
    int m_configuredPort = 0;                       // the port the settings name, open or not
    std::optional<std::vector<int>> m_listedPorts;  // what the port selector offers
    std::atomic<bool> m_saveBin{false};
    std::atomic<int> m_convertBusy{0};
    std::string m_tooltip;
    bool m_inTray = false;
    bool m_wasInTray = false;
    bool m_workerBusy = false;
    WorkerParams m_params;
    std::optional<std::vector<SelectionKey>> m_selection;

    // Poll state, kept for the whole run.
    int m_tickCounter = 0;
    bool m_inPoll = false;
    bool m_zepServed = false;
    PromptMatcher m_matcher;

    bool m_exitPending = false;
    bool m_closed = false;
    bool m_settingsSaved = false;
};

}  // namespace zep
