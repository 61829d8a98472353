// The desktop front end over the real subsystems: Qt, the time base, the session and its event
// loop until "Выход" has been accepted and the closing steps have run.
#include "window/qt/run_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include <iostream>

#include "app/worker_threads.h"
#include "platform/config_home.h"
#include "platform/desktop_open.h"
#include "platform/program_path.h"
#include "platform/time_base.h"
#include "window/qt/window_session.h"

namespace zep {

namespace {

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

}  // namespace

int RunWindow(int argc, char** argv) {
    if (DisplayMissing()) {
        std::cerr << "zepimport: no display to open the window on; use --headless\n";
        return 2;
    }
    QApplication application(argc, argv);
    // The window spends most of its life hidden; closing the about box then is no reason to end.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!FixTimeBase()) {
        QMessageBox::critical(nullptr, QString(),
                              QStringLiteral("Ошибка инициализации временной зоны!"));
        return 1;
    }
    const auto programFile = ProgramFile();
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), programFile.parent_path());
    WindowSession session({*parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                           DefaultClock(), SettingsFileFor(programFile), programFile, ConfigHome(),
                           OpenWithDesktop, QSystemTrayIcon::isSystemTrayAvailable()});
    // exit, not quit: quit first asks the windows to close, and the main window never agrees.
    QObject::connect(&session, &WindowSession::finished, &application,
                     [] { QCoreApplication::exit(0); });
    session.Start();
    return QApplication::exec();
}

}  // namespace zep
