// The controller's set-up, its start and the handlers of the user's actions and the workers'
// messages.
#include "app/main_controller.h"

#include "app/help_request.h"
#include "app/main_settings.h"
#include "app/serial_port_list.h"
#include "app/unread_config.h"
#include "core/path_text.h"

namespace zep {

namespace {

constexpr int kDriveButtons = 10;

// Every message handler takes the variant by value through std::visit.
template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
// Clang before 17 does not deduce aggregate template arguments on its own.
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace

MainController::MainController(MainView& view, ControllerSetup setup)
    : m_view(view),
      m_subsystems(setup.subsystems),
      m_drives(setup.drives),
      m_serial(setup.serial),
      m_lock(setup.lock),
      m_clock(setup.clock),
      m_iniPath(std::move(setup.iniPath)),
      m_programFile(std::move(setup.programFile)),
      m_autostart(setup.autostart),
      m_values(std::move(setup.values)),
      m_openHelp(std::move(setup.openHelp)),
      m_history(setup.history),
      m_startLines(std::move(setup.startLines)),
      m_logFile(setup.logFile) {
    m_options.autoStart = m_autostart.Query(m_programFile) ? 1 : 0;
}

MainController::~MainController() = default;

void MainController::Initialise(bool startMinimized) {
    for (const auto& line : m_startLines) {
        AddLine(line);
    }
    m_subsystems.LoadDrivers(m_messages);
    // The driver lines come before the port line, as they were written.
    DeliverMessages();
    LoadSettings();
    ListPorts();
    RescanDrives();
    if (startMinimized || m_options.runMinimized) {
        PostMinimize();
    }
    m_subsystems.StartConversion(m_messages, m_convertBusy, m_saveBin);
}

// --- Settings and data exchange -------------------------------------------------------------

void MainController::LoadSettings() {
    ClosePort();
    if (const auto unread = UnreadSettingsLine(m_iniPath)) {
        AddLine(*unread);
    } else if (const auto setAside = SetAsideForeignSettings(m_iniPath)) {
        AddLine(*setAside);
    }
    StoredSettings stored;
    ExchangeSettings(SettingsDirection::Load, m_iniPath, stored);
    stored.options.autoStart = m_options.autoStart;
    m_options = stored.options;
    m_saveBin.store(stored.saveBin != 0);
    m_params.importOnce = stored.importOnce != 0;
    m_port = stored.port;
    m_configuredPort = stored.port;
    m_view.ShowOptions(m_options);
    OpenPort();
}

bool MainController::SaveSettings() {
    ReadOptions();
    StoredSettings stored;
    stored.options = m_options;
    stored.saveBin = m_saveBin.load() ? 1 : 0;
    stored.importOnce = m_params.importOnce ? 1 : 0;
    stored.port = m_configuredPort;
    if (!ExchangeSettings(SettingsDirection::Save, m_iniPath, stored)) {
        AddLine(SettingsNotSavedLine(m_iniPath));
        return false;
    }
    return true;
}

// Reads the check boxes into the members. The port member follows the selector only when the
// selection changes (OnPortSelected), because it names the port that is actually open.
bool MainController::ReadOptions() {
    const auto controls = m_view.ReadControls();
    if (!controls) {
        return false;
    }
    m_options = controls->options;
    if (controls->port != 0) {
        m_configuredPort = controls->port;
    }
    return true;
}

void MainController::ListPorts() {
    SerialPortList list([this] { return m_subsystems.SerialPortNumbers(); });
    if (list.Error() != 0) {
        return;
    }
    std::vector<int> ports;
    for (int number = list.Next(-1); number != 0; number = list.Next(-1)) {
        ports.push_back(number);
    }
    // Refilled only when adapters came or went: a refill would drop the user's open drop-down.
    if (m_listedPorts == ports) {
        return;
    }
    m_listedPorts = ports;
    // The configured port stays selected when it could not be opened, so that a port that was
    // busy at start-up is not dropped from the settings at exit.
    m_view.FillPortSelector(ports, m_configuredPort);
}

void MainController::OnPortSelected() {
    ClosePort();
    if (const auto controls = m_view.ReadControls()) {
        m_options = controls->options;
        m_port = controls->port;
        m_configuredPort = controls->port;
    }
    OpenPort();
}

void MainController::OnOptionClicked(OptionBox box) {
    if (box == OptionBox::Removable) {
        RescanDrives();
        return;
    }
    ReadOptions();
    if (box == OptionBox::AutoStart) {
        m_autostart.Set(m_programFile, m_options.autoStart != 0);
    }
}

void MainController::OnHelp() {
    if (const auto file = FindHelpFile(m_values); file && m_openHelp) {
        m_openHelp(PathFromUtf8(*file));
    }
}

// --- Messages -------------------------------------------------------------------------------

void MainController::DeliverMessages() {
    for (auto& message : m_messages.TakeAll()) {
        std::visit(Overloaded{
                       [this](const BarMessage& bar) {
                           m_view.SetBarPosition(bar.bar, bar.position);
                           if (bar.caption) {
                               m_view.SetBarCaption(bar.bar, *bar.caption);
                           }
                       },
                       [this](const LogMessage& log) {
                           if (log.lower) {
                               ShowLine(Pane::Lower, *log.lower);
                           }
                           if (log.upper) {
                               ShowLine(Pane::Upper, *log.upper);
                           }
                       },
                       [this](const MinimizeMessage&) { OnSystemCommand(SystemCommand::Minimize); },
                   },
                   message);
    }
}

void MainController::AddLine(const std::string& line) {
    ShowLine(Pane::Upper, line);
}

void MainController::ShowLine(Pane pane, const std::string& line) {
    m_view.AddLine(pane, line);
    if (m_logFile) {
        m_logFile->Add(pane, line);
    }
}

// --- Tray -----------------------------------------------------------------------------------

void MainController::OnSystemCommand(SystemCommand command) {
    const bool wasInTray = m_inTray;
    m_inTray = command == SystemCommand::Minimize;
    if (m_inTray != wasInTray) {
        m_view.SetTrayIcon(m_inTray, m_tooltip);
        m_view.ShowWindow(!m_inTray);
    }
}

void MainController::RestoreFromTray() {
    m_inTray = false;
    m_view.SetTrayIcon(false, m_tooltip);
    m_view.ShowWindow(true);
    m_view.RestoreWindow();
}

// Posted, not carried out: it takes effect after the handler that asks for it has finished.
void MainController::PostMinimize() {
    m_messages.Post(MinimizeMessage{});
}

// --- Drives ---------------------------------------------------------------------------------

void MainController::RescanDrives() {
    if (ReadOptions() && m_options.removable) {
        m_drives.Rescan();
    } else {
        m_drives.Clear();
    }
    RefreshDriveButtons();
}

void MainController::RefreshDriveButtons() {
    std::vector<DriveButton> buttons;
    for (const auto& drive : m_drives.Drives()) {
        if (static_cast<int>(buttons.size()) == kDriveButtons) {
            break;
        }
        buttons.push_back({drive.root, drive.present});
    }
    m_view.ShowDriveButtons(buttons);
}

void MainController::OnDriveButton(int k) {
    if (k >= 0 && k < kDriveButtons && k < static_cast<int>(m_drives.Drives().size())) {
        m_drives.Rearm(k);
    }
}

// --- Exit -----------------------------------------------------------------------------------

bool MainController::RequestExit() {
    if (!m_workerBusy && m_convertBusy.load() == 0) {
        return true;
    }
    // A device that announces itself again right after each session would otherwise keep the
    // program from ever being idle when the request is tried.
    if (!m_exitPending) {
        m_exitPending = true;
        m_subsystems.RequestWorkerStop();
    }
    return false;
}

bool MainController::RequestExitBetweenFiles() {
    if (!m_workerBusy && m_convertBusy.load() != 0) {
        m_subsystems.StopConversionAfterFile();
    }
    return RequestExit();
}

bool MainController::Close() {
    if (m_closed) {
        return m_settingsSaved;
    }
    m_closed = true;
    m_inTray = false;
    m_view.SetTrayIcon(false, m_tooltip);
    m_settingsSaved = SaveSettings();
    m_subsystems.TessalClose(m_serial, m_messages);
    ClosePort();
    // Drivers are used by the conversion, so it stops before they go.
    m_subsystems.StopWorkers();
    m_subsystems.UnloadDrivers();
    DeliverMessages();
    return m_settingsSaved;
}

}  // namespace zep
