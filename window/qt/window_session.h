#pragma once
// One run of the desktop front end over given subsystems: the main window, the controller with
// the window as its view, and the pump that drives it. The program builds it over the real
// subsystems, the tests over fakes.
#include <QObject>

#include <memory>

#include "app/main_controller.h"
#include "window/qt/main_window.h"
#include "window/qt/window_pump.h"

namespace zep {

class WindowSession final : public QObject {
    Q_OBJECT
public:
    // trayAvailable: the desktop has a notification area for the tray icon.
    WindowSession(ControllerSetup setup, bool trayAvailable);
    ~WindowSession() override;

    // Initialisation; the window is shown unless the start goes straight to the tray; then the
    // poll runs.
    void Start();

    // The exit a termination signal asks for: carried out once no worker is busy (a conversion
    // pass ends after the file in hand), otherwise nothing happens and the caller asks again.
    void TryExitOnSignal();
    // "Выход" refused while something was busy: carried out once nothing is.
    void TryPendingExit();

    MainWindow& Window() { return *m_window; }
    MainController& Controller() { return *m_controller; }
    WindowPump& Pump() { return *m_pump; }

signals:
    // "Выход" was accepted and the closing steps have run; saved: the settings were written.
    void finished(bool saved);

private:
    void Finish();

    Clock& m_clock;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<MainController> m_controller;
    std::unique_ptr<WindowPump> m_pump;
};

}  // namespace zep
