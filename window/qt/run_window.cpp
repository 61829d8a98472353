// Start-up and end of the desktop front end: the real subsystems, the controller, the main
// window and its event loop; the closing steps once "Выход" is accepted.
#include "window/qt/run_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include "app/main_controller.h"
#include "app/worker_threads.h"
#include "platform/config_home.h"
#include "platform/desktop_open.h"
#include "platform/program_path.h"
#include "platform/time_base.h"
#include "window/qt/controller_pump.h"
#include "window/qt/main_window.h"

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
    MainWindow window(QSystemTrayIcon::isSystemTrayAvailable(), programFile.parent_path());
    MainController controller({window, *parts.subsystems, *parts.drives, *parts.serial,
                               g_workerLock, DefaultClock(), SettingsFileFor(programFile),
                               programFile, ConfigHome(), OpenWithDesktop});
    window.Attach(controller);
    ControllerPump pump(controller);
    controller.Initialise(false);
    // A start into the tray is carried out before the window is ever shown.
    controller.DeliverMessages();
    if (!controller.InTray()) {
        window.show();
    }
    QObject::connect(&window, &MainWindow::exitAccepted, &application, [&] {
        pump.Stop();
        controller.Close();
        QApplication::quit();
    });
    pump.Start();
    return QApplication::exec();
}

}  // namespace zep
