// Start-up order of the desktop front end, and the closing steps once "Выход" is accepted.
#include "window/qt/window_session.h"

#include <utility>

namespace zep {

WindowSession::WindowSession(ControllerSetup setup, bool trayAvailable)
    : m_clock(setup.clock),
      m_window(std::make_unique<MainWindow>(trayAvailable, setup.programFolder)) {
    m_controller = std::make_unique<MainController>(*m_window, std::move(setup));
    m_window->Attach(*m_controller);
    // Before initialisation: the conversion worker may post from its first pass on.
    m_pump = std::make_unique<WindowPump>(*m_controller, m_clock);
    connect(m_window.get(), &MainWindow::exitAccepted, this, &WindowSession::Finish);
}

// The pump goes first (no more deliveries), then the controller; the closing steps, when the
// exit was accepted, have stopped the workers by then.
WindowSession::~WindowSession() {
    m_pump.reset();
    m_controller.reset();
}

void WindowSession::TryExitOnSignal() {
    if (m_controller->RequestExitBetweenFiles()) {
        Finish();
    }
}

void WindowSession::TryPendingExit() {
    if (m_controller->ExitPending() && m_controller->RequestExit()) {
        Finish();
    }
}

void WindowSession::Finish() {
    m_pump->Stop();
    emit finished(m_controller->Close());
}

void WindowSession::Start() {
    m_controller->Initialise(false);
    // A start into the tray is carried out before the window is ever shown.
    m_controller->DeliverMessages();
    if (!m_controller->InTray()) {
        m_window->show();
    }
    m_pump->Start();
}

}  // namespace zep
