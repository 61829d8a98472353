// Renders the main window, as a dispatcher sees it in the middle of a working day, into PNG
// files for the documentation: the real window and controller over the fakes of the tests,
// fed with the log lines and progress reports the workers write.
// Where a tray host runs on the display, the window is also sent to the tray and the tray's
// menu opened, for a picture of the notification area.
// With a card folder, the preview of that card is rendered too.
// Usage: window_screenshots OUTPUT_FOLDER [CARD_FOLDER]
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include <filesystem>
#include <iostream>

#include "media/preview_model.h"
#include "tests/app/controller_fakes.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"
#include "window/qt/preview_dialog.h"
#include "window/qt/tray_icon.h"
#include "window/qt/window_session.h"

namespace {

using namespace zep;

// What the workers of a morning leave in the panes: every colour of the log.
void PostWorkingDay(WorkerReport& report) {
    for (const char* line : {
             "",
             "$03Сеанс связи начат 09:14:02 07.12.2026",
             "Чтение файла 'A0000123.BIA' ...",
             "Удаление файла 'A0000123.BIA'",
             "$03Импорт данных завершен.",
             "$02CNV: Обработка M1, 0000123, Котельная 2 ...",
             "$04CNV: Не найден драйвер прибора 'TX-4'.",
             "",
             "$03Сеанс связи начат 09:20:41 07.12.2026",
             "$04Ошибка чтения файла с ZEP",
             "Чтение файла 'A0000124.BIA' ...",
         }) {
        report.LogUpper(line);
    }
    report.LogLower("$04TX-4, 0000977, ЦТП-5 - ошибка обработки bin-файла");
    report.LogLower("$02CNV: Обработка M1, 0000123, Котельная 2 ...");
    report.LogLower("Котельная 2: 31 запись");
    report.SetBar1(64, "A0000124.BIA");
    report.SetBar2(35, "20261207091402.bia");
}

bool Save(const QPixmap& picture, const std::filesystem::path& file) {
    const bool saved = picture.save(QString::fromStdString(file.string()), "PNG");
    std::cerr << (saved ? "written " : "could not write ") << file.string() << "\n";
    return saved;
}

// Lets the event loop run: deliveries, painting, the tray host's embedding.
void Settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The notification area in the top right corner with menu 129 open under the icon.
bool SaveTray(WindowSession& session, const std::filesystem::path& file) {
    session.Controller().OnSystemCommand(SystemCommand::Minimize);  // as Esc does
    Settle(700);
    TrayIcon* tray = session.Window().Tray();
    if (tray == nullptr) {
        std::cerr << "no tray icon\n";
        return false;
    }
    const QRect icon = tray->Icon().geometry();
    tray->Menu().popup(icon.bottomLeft() + QPoint(0, 2));
    Settle(400);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area(screen->geometry().width() - 260, 0, 260, 130);
    const bool saved =
        Save(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()), file);
    tray->Menu().hide();
    return saved;
}

// The preview of a card as the poll shows it, grabbed once it has read the card. Two of its
// archives were imported before: the history holds them, and their rows are marked.
bool SavePreview(QWidget& parent, const std::string& card,
                 const std::filesystem::path& programFolder, const std::filesystem::path& file) {
    MemoryImportHistory history;
    test::RecordingReport quiet;
    const auto contents = ReadCardFolder(card, ArchiveKeys::Compute);
    for (std::size_t row = 1; row < contents.rows.size() && row <= 3; row += 2) {
        if (contents.rows[row].archive) {
            history.Record(std::span(&*contents.rows[row].archive, 1), quiet);
        }
    }
    bool saved = false;
    QTimer::singleShot(1500, [&] {
        if (auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            saved = Save(preview->grab(), file);
            preview->reject();
        }
    });
    RunPreviewDialog(&parent, card, programFolder, &history);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: window_screenshots OUTPUT_FOLDER [CARD_FOLDER]\n";
        return 2;
    }
    const std::filesystem::path output = argv[1];
    test::TempDir dir;
    test::Events events;
    WorkerLock lock;
    test::FakeSubsystems subsystems(events, lock);
    test::FakeDrives drives(events);
    test::FakeSerialPort serial;
    test::FakeClock clock;
    subsystems.portNumbers = std::vector<int>{1, 3};
    drives.drives = {{"E:\\", true}, {"/media/CARD/", false}, {"/media/usb1/", true}};
    test::WriteFileText(dir / "zepimport.ini",
                        "[General]\nm_removable=1\nm_deleteAfter=1\nm_expandActive=1\n"
                        "[COM Port]\nm_port=1\n");
    test::FakeAutostart autostart;
    WindowSession session({subsystems,
                           drives,
                           serial,
                           lock,
                           clock,
                           dir.path(),
                           dir / "zepimport.ini",
                           dir / "zepimport",
                           autostart,
                           DispatchValues(),
                           {}},
                          true);
    session.Start();
    PostWorkingDay(session.Controller().Messages());
    Settle(300);
    bool saved = Save(session.Window().grab(), output / "window-main.png");
    if (argc > 2) {
        saved = SavePreview(session.Window(), argv[2], dir.path(), output / "window-preview.png") &&
                saved;
    }
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        saved = SaveTray(session, output / "window-tray.png") && saved;
    }
    return saved ? 0 : 1;
}
