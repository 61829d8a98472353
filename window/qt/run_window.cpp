// The desktop front end over the real subsystems: Qt, the time base, the session and its event
// loop until "Выход" has been accepted and the closing steps have run.
#include "window/qt/run_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include "app/worker_threads.h"
#include "platform/config_home.h"
#include "platform/desktop_open.h"
#include "platform/program_path.h"
#include "platform/time_base.h"
#include "window/qt/window_session.h"

namespace zep {

int RunWindow(int argc, char** argv) {
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
    QObject::connect(&session, &WindowSession::finished, &application, &QApplication::quit);
    session.Start();
    return QApplication::exec();
}

}  // namespace zep
