// The desktop front end over the real subsystems: Qt, the time base, the session and its event
// loop until "Выход" has been accepted and the closing steps have run.
#include "window/qt/run_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>

#include <iostream>

#include "app/worker_threads.h"
#include "platform/autostart.h"
#include "platform/desktop_open.h"
#include "platform/dispatch_values.h"
#include "platform/exit_signals.h"
#include "platform/folder_lock.h"
#include "platform/program_path.h"
#include "platform/time_base.h"
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
    if (!FixTimeBase()) {
        QMessageBox::critical(nullptr, QString(),
                              QStringLiteral("Ошибка инициализации временной зоны!"));
        return 1;
    }
    const auto programFile = ProgramFile();
    // Held until the process ends; a second instance would convert the same raw files again.
    const auto folderLock = FolderLock::Acquire(programFile.parent_path());
    if (folderLock.GetState() == FolderLock::State::InUse) {
        QMessageBox::critical(nullptr, QString(),
                              QStringLiteral("ZEP Импорт уже запущен с папкой %1.")
                                  .arg(QString::fromStdString(programFile.parent_path().string())));
        return 1;
    }
    RealParts parts = CreateRealParts(g_workerLock, DefaultClock(), programFile.parent_path());
    const auto autostart = CreateSessionAutostart();
    WindowSession session({*parts.subsystems, *parts.drives, *parts.serial, g_workerLock,
                           DefaultClock(), SettingsFileFor(programFile), programFile, *autostart,
                           DispatchValues::Installed(), OpenWithDesktop,
                           QSystemTrayIcon::isSystemTrayAvailable()});
    // exit, not quit: quit first asks the windows to close, and the main window never agrees.
    QObject::connect(&session, &WindowSession::finished, &application,
                     [](bool saved) { QCoreApplication::exit(saved ? 0 : 1); });
    // SIGTERM and SIGINT (the session ending, a service manager) ask for "Выход", as in the
    // headless mode: the program ends with the closing steps once nothing is busy.
    QTimer signalCheck;
    QObject::connect(&signalCheck, &QTimer::timeout, &session, [&session] {
        if (ExitSignalReceived()) {
            session.TryExitOnSignal();
        }
    });
    signalCheck.start(kSignalCheckMs);
    session.Start();
    return QApplication::exec();
}

}  // namespace zep
