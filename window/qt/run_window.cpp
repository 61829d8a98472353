// The desktop front end on the shared start-up: Qt, its message boxes, the session and its event
// loop until "Выход" has been accepted and the closing steps have run.
#include "window/qt/run_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>

#include <iostream>
#include <string>
#include <utility>

#include "app/startup.h"
#include "platform/exit_signals.h"
#include "window/qt/window_session.h"

namespace zep {

namespace {

// How often a termination signal is looked for, and a refused exit tried again.
constexpr int kSignalCheckMs = 500;

// Qt ends the process when it cannot reach a display; a plain word is kinder. Only where the
// display comes from the environment (X11 or Wayland) and no platform was chosen explicitly.
bool DisplayMissing() {
#if defined(__linux__)
    return qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

void ShowStartError(const std::string& text) {
    QMessageBox::critical(nullptr, QString(), QString::fromStdString(text));
}

// The window's own part of the start: the session over the setup, run until "Выход".
int RunSession(ControllerSetup setup) {
    WindowSession session(std::move(setup), QSystemTrayIcon::isSystemTrayAvailable());
    // exit, not quit: quit first asks the windows to close, and the main window never agrees.
    QObject::connect(&session, &WindowSession::finished, &session,
                     [](bool saved) { QCoreApplication::exit(saved ? 0 : 1); });
    // SIGTERM and SIGINT (the session ending, a service manager) ask for "Выход", as in the
    // headless mode: the program ends with the closing steps once nothing is busy. A "Выход"
    // refused while something was busy is asked again here too.
    QTimer signalCheck;
    QObject::connect(&signalCheck, &QTimer::timeout, &session, [&session] {
        if (ExitSignalReceived()) {
            session.TryExitOnSignal();
        } else {
            session.TryPendingExit();
        }
    });
    signalCheck.start(kSignalCheckMs);
    session.Start();
    return QApplication::exec();
}

}  // namespace

int RunWindow(int argc, char** argv) {
    if (DisplayMissing()) {
        std::cerr << "zepimport: no display to open the window on; use --headless\n";
        return 2;
    }
    InstallExitSignals();
    QApplication application(argc, argv);
    // The window spends most of its life hidden; closing the about box then is no reason to end.
    QApplication::setQuitOnLastWindowClosed(false);
    return StartProgram({ShowStartError, RunSession});
}

}  // namespace zep
