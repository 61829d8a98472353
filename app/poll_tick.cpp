// The one-second poll: when no worker runs it looks for a newly inserted card first, then for
// a device prompt on the open port, and starts the matching worker. It also opens and closes
// the port, and follows adapters that are plugged or pulled while the program runs.
#include "app/main_controller.h"
#include "core/path_text.h"
#include "platform/folder_access.h"
#include "platform/port_reason.h"
#include "platform/time_base.h"

namespace zep {

namespace {

constexpr int kRescanEveryTicks = 5;
constexpr std::uint8_t kProbeByte = 0x3F;  // "?"
constexpr int kClearToSend = 0x01;
constexpr int kNoFlowControl = 0;
constexpr int kZepSlot = static_cast<int>(Exchange::Zep);
constexpr const char* kPortNotOpenTooltip = "ZEP Импорт (COM-порт не окрыт)";

}  // namespace

void MainController::PollTick() {
    if (m_closed) {
        return;
    }
    // Said within a second of the failure, whatever the poll is busy with.
    if (const auto failure = m_logFile ? m_logFile->TakeFailureLine() : std::nullopt) {
        AddLine(*failure);
    }
    ++m_tickCounter;
    // A tick that arrives from a modal loop of the tick being handled only counts.
    if (m_inPoll) {
        return;
    }
    m_inPoll = true;
    // The poll only tests the lock; a worker holds it for its whole run.
    if (!m_lock.TryAcquire()) {
        m_inPoll = false;
        return;
    }
    m_lock.Release();

    m_view.SetBarPosition(1, 0);
    m_view.SetBarCaption(1, "");
    EndFinishedWorker();
    DropVanishedPort();
    if (m_tickCounter >= kRescanEveryTicks) {
        RescanDrives();
        FollowAdapters();
        m_tickCounter = 0;
    }
    // Once an exit is waited for, nothing new starts: it would hold the exit for a whole session.
    if (!m_exitPending && !StartCardImportIfNew()) {
        PollPort();
    }
    if (m_workerBusy) {
        m_wasInTray = m_inTray;
        if (m_options.expandActive && m_inTray) {
            RestoreFromTray();
        }
    }
    m_inPoll = false;
}

void MainController::EndFinishedWorker() {
    if (!m_workerBusy) {
        return;
    }
    m_workerBusy = false;
    m_selection.reset();
    m_view.EnablePortSelector(true);
    if (m_options.expandActive && m_wasInTray && !m_inTray) {
        PostMinimize();
    }
}

bool MainController::StartCardImportIfNew() {
    const auto folder = m_drives.FindNewCardFolder();
    if (!folder || !CanEnterFolder(*folder)) {
        return false;
    }
    const bool wasInTray = m_inTray;
    if (wasInTray) {
        RestoreFromTray();
    }
    // Marks show only what the import will pass over: with "ImportOnce" off every offer is taken.
    const ImportHistory* marks = m_params.importOnce ? m_history : nullptr;
    const auto selection = m_options.preview ? m_view.ShowPreview(PathToUtf8(*folder), marks)
                                             : std::vector<SelectionKey>{};
    if (selection) {
        m_selection = *selection;
        m_workerBusy = true;
        AddLine("");
        AddLine("$03Получение данных со сменного накопителя...");
        AddLine(PathToUtf8(*folder));
        m_params.deleteData = m_options.deleteFlash;
        m_params.folder = *folder;
        m_params.selection = *m_selection;
        m_subsystems.StartCardImport(m_params, m_messages);
    }
    if (wasInTray) {
        PostMinimize();
    }
    return true;
}

void MainController::PollPort() {
    if (m_port == 0) {
        return;
    }
    const int slot = m_matcher.Match(m_serial, m_port, kDevicePrompts);
    if (slot == PromptMatcher::kTooManyPrompts) {
        m_view.ShowError("Слишком много сигнатур!");
        return;
    }
    if (slot == PromptMatcher::kNoPrompt) {
        // A negative status is an error, not a line state.
        const int status = m_serial.PortLineStatus(m_port);
        if (status < 0 || (status & kClearToSend) == 0) {
            m_zepServed = false;
        } else if (!m_zepServed) {
            m_serial.PortWriteByte(m_port, kProbeByte);
        }
        return;
    }
    StartExchange(slot);
}

void MainController::StartExchange(int slot) {
    m_workerBusy = true;
    m_view.EnablePortSelector(false);
    const auto now = m_clock.Now();
    AddLine("");
    AddLine("$03Сеанс связи начат " + FormatLocalTime(now, kLogStampPattern));
    m_params.port = m_port;
    m_params.deleteData = m_options.deleteAfter;
    if (slot == kZepSlot) {
        m_zepServed = true;
    }
    m_subsystems.StartExchange(static_cast<Exchange>(slot), m_params, m_serial, m_messages);
}

// --- Port -----------------------------------------------------------------------------------

void MainController::OpenPort(OpenFailure failure) {
    if (m_port != 0) {
        const auto failed = SetUpPort();
        if (!failed) {
            AddLine("COM-порт открыт, ожидание сеанса связи с ZEP ...");
            SetTooltip("ZEP Импорт (COM" + std::to_string(m_port) + ")");
            return;
        }
        if (failure == OpenFailure::Silent) {
            // A repeated attempt: the line and the tooltip already say the port is not open.
            m_port = 0;
            return;
        }
        AddLine(std::string(failed->line));
        if (auto reason = PortReasonLine(m_port, failed->reason)) {
            AddLine(std::move(*reason));
        }
    }
    SetTooltip(kPortNotOpenTooltip);
    m_port = 0;
}

// Opens m_port with the idle line settings; the error line and the system's reason, or nothing
// when it is open.
std::optional<MainController::PortFailure> MainController::SetUpPort() {
    if (auto opened = m_serial.PortOpenWithReason(m_port); !opened) {
        return PortFailure{"$04Ошибка открытия COM-порта.", opened.Error()};
    }
    SystemDone set = m_serial.PortSetLineParamsWithReason(m_port, kRateCode9600, kMode8N1);
    if (set) {
        set = m_serial.PortSetFlowControlWithReason(m_port, kNoFlowControl);
    }
    if (set) {
        set = m_serial.PortSetReadTimeoutsWithReason(m_port, kNeverWait, 1);
    }
    if (!set) {
        // Not left open: the device would stay taken by a port nobody polls.
        m_serial.PortClose(m_port);
        return PortFailure{"$04Ошибка установки параметров COM-порта.", set.Error()};
    }
    return std::nullopt;
}

void MainController::ClosePort() {
    if (m_port != 0) {
        m_serial.PortClose(m_port);
    }
    m_port = 0;
}

// --- Adapters that come and go --------------------------------------------------------------

// An unplugged adapter never delivers again: the port is closed at once, and the configured
// port is tried again at each rescan until the adapter is back.
void MainController::DropVanishedPort() {
    if (m_port == 0 || !m_serial.PortGone(m_port)) {
        return;
    }
    ClosePort();
    // Whatever comes back is a fresh device: no half-matched prompt, no served ZEP adapter.
    m_matcher = PromptMatcher{};
    m_zepServed = false;
    AddLine("$04COM-порт отключен, ожидание подключения ...");
    SetTooltip(kPortNotOpenTooltip);
}

// Runs at the drive rescan, so only while no worker is busy: the selector offers the adapters
// present now, and a configured port that is not open is tried again without a line until
// it opens.
void MainController::FollowAdapters() {
    ListPorts();
    if (m_port == 0 && m_configuredPort != 0) {
        m_port = m_configuredPort;
        OpenPort(OpenFailure::Silent);
    }
}

void MainController::SetTooltip(std::string tooltip) {
    m_tooltip = std::move(tooltip);
    if (m_inTray) {
        m_view.UpdateTooltip(m_tooltip);
    }
}

}  // namespace zep
