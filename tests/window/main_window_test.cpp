// The Qt main window, offscreen, over the controller with fake subsystems.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

#include <thread>

#include "tests/window/window_fixture.h"
#include "window/qt/progress_bar_widget.h"
#include "window/qt/tray_icon.h"

namespace zep::test {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

TEST_F(WindowTest, ControlsAreNamedByTheirIdsAndTheirVisibleTexts) {
    Start();
    for (const DialogControl& control : MainDialogTemplate().controls) {
        if (control.kind != ControlKind::CheckBox && control.kind != ControlKind::PushButton) {
            EXPECT_TRUE(control.id == DialogControl::kNoId || Control(control.id)) << control.id;
            continue;
        }
        auto* button = Control<QAbstractButton>(control.id);
        ASSERT_NE(button, nullptr);
        const QString text = control.id == ctl::kAutoStart
                                 ? QString::fromUtf8(kAutoStartTextSession)
                                 : Text(control.text);
        EXPECT_EQ(button->text(), text) << control.id;
        EXPECT_EQ(button->accessibleName(), text) << control.id;
    }
    EXPECT_EQ(Control(ctl::kUpperPane)->accessibleName(), "OutputWnd");
    EXPECT_EQ(Control(ctl::kLowerPane)->accessibleName(), "OutputWnd2");
    EXPECT_EQ(Control(ctl::kPortSelector)->accessibleName(), "Коммуникационный порт");
    EXPECT_EQ(Window().windowTitle(), "Velmora - ZEP Импорт");
}

TEST_F(WindowTest, ChoosingAnotherPortClosesTheOpenOneAndOpensTheChosenOne) {
    StartWithPort();
    ASSERT_TRUE(serial.IsOpen(3));
    auto* selector = Control<QComboBox>(ctl::kPortSelector);
    ASSERT_EQ(selector->currentText(), "COM3");
    selector->setFocus();
    QTest::keyClick(selector, Qt::Key_Down);
    EXPECT_EQ(selector->currentText(), "COM5");
    EXPECT_FALSE(serial.IsOpen(3));
    EXPECT_TRUE(serial.IsOpen(5));
    EXPECT_EQ(Controller().Port(), 5);
}

TEST_F(WindowTest, AutostartBoxWritesAndRemovesTheEntryAtOnce) {
    Start();
    Control<QAbstractButton>(ctl::kAutoStart)->click();
    EXPECT_EQ(autostart.entry, Program());
    Control<QAbstractButton>(ctl::kAutoStart)->click();
    EXPECT_FALSE(autostart.entry);
}

// The option boxes and the options they fill.
constexpr std::pair<int, int Options::*> kOptionBoxes[] = {
    {ctl::kRunMinimized, &Options::runMinimized}, {ctl::kExpandActive, &Options::expandActive},
    {ctl::kDeleteAfter, &Options::deleteAfter},   {ctl::kAutoStart, &Options::autoStart},
    {ctl::kRemovable, &Options::removable},       {ctl::kDeleteFlash, &Options::deleteFlash},
    {ctl::kPreview, &Options::preview},
};

// A screen reader's or automation's "toggle" changes the box without a click.
TEST_F(WindowTest, EveryOptionBoxActsWhenToggledThroughAccessibility) {
    Start();
    for (const auto& [id, member] : kOptionBoxes) {
        const int before = Controller().CurrentOptions().*member;
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(Control(id));
        ASSERT_TRUE(box && box->actionInterface()) << id;
        box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(Controller().CurrentOptions().*member, 1 - before) << id;
    }
    EXPECT_EQ(autostart.entry, Program());
}

// The controller's own values going into the boxes are not the user's choice.
TEST_F(WindowTest, SettingsPushedIntoTheBoxesDoNotAct) {
    Start();
    events.clear();
    const Options before = Controller().CurrentOptions();
    Options pushed = before;
    for (const auto& [id, member] : kOptionBoxes) {
        pushed.*member = 1 - before.*member;
    }
    Window().ShowOptions(pushed);
    EXPECT_EQ(Control<QAbstractButton>(ctl::kAutoStart)->isChecked(), pushed.autoStart != 0);
    EXPECT_EQ(Controller().CurrentOptions(), before);
    EXPECT_FALSE(autostart.entry);
    EXPECT_FALSE(Contains(events, "Rescan") || Contains(events, "Clear"));
}

TEST_F(WindowTest, CardBoxRescansTheDrivesAndTheButtonsShowThem) {
    Start("[General]\nm_removable=0\n");
    drives.drives = {{"/media/a/", true}, {"/media/b/", false}};
    events.clear();
    Control<QAbstractButton>(ctl::kRemovable)->click();
    EXPECT_TRUE(Contains(events, "Rescan"));
    auto* first = Control<QAbstractButton>(ctl::kFirstDriveButton);
    auto* second = Control<QAbstractButton>(ctl::kFirstDriveButton + 1);
    EXPECT_TRUE(first->isVisibleTo(&Window()));
    EXPECT_TRUE(first->isEnabled());
    EXPECT_EQ(first->text(), "/media/a/");
    EXPECT_EQ(first->accessibleName(), "/media/a/");
    EXPECT_TRUE(second->isVisibleTo(&Window()));
    EXPECT_FALSE(second->isEnabled());
    EXPECT_FALSE(Control(ctl::kFirstDriveButton + 2)->isVisibleTo(&Window()));

    Control<QAbstractButton>(ctl::kRemovable)->click();  // off: the drives are forgotten
    EXPECT_TRUE(Contains(events, "Clear"));
    EXPECT_FALSE(first->isVisibleTo(&Window()));
}

TEST_F(WindowTest, DriveButtonRearmsItsDrive) {
    drives.drives = {{"/media/a/", true}, {"/media/b/", true}};
    Start("[General]\nm_removable=1\n");
    QTest::mouseClick(Control(ctl::kFirstDriveButton + 1), Qt::LeftButton);
    EXPECT_EQ(drives.rearmed, std::vector<int>{1});
}

// The button and the tray menu's item run the same guarded exit: refused while something is
// busy, it lets nothing new start, asks the running exchange to stop, and is carried out by the
// session once all is idle.
TEST_F(WindowTest, ExitWaitsWhileAWorkerOrTheConversionIsBusyAndStartsNothingNew) {
    for (const bool throughTray : {false, true}) {
        SCOPED_TRACE(throughTray ? "tray menu" : "button");
        StartWithPort();
        QSignalSpy finished(session.get(), &WindowSession::finished);
        serial.AddInput("ZEP>");
        Tick();
        ASSERT_TRUE(Controller().WorkerBusy());
        subsystems.convertBusy->store(1);
        if (throughTray) {
            Press(Qt::Key_Escape);
            ASSERT_TRUE(TrayIconShown());
            Window().Tray()->Menu().findChild<QAction*>("cmd32772")->trigger();
        } else {
            QTest::mouseClick(Control(ctl::kExit), Qt::LeftButton);
        }
        QApplication::processEvents();
        EXPECT_EQ(finished.count(), 0);
        EXPECT_TRUE(Contains(events, "RequestWorkerStop"));
        subsystems.FinishWorker();
        serial.AddInput("ZEP>");  // announced again at once
        Tick();
        EXPECT_FALSE(Controller().WorkerBusy());
        session->TryPendingExit();
        EXPECT_EQ(finished.count(), 0);  // the conversion pass is still busy
        subsystems.convertBusy->store(0);
        session->TryPendingExit();
        EXPECT_EQ(finished.count(), 1);
        EXPECT_TRUE(Contains(events, "UnloadDrivers"));  // the closing steps ran
        session.reset();
        events.clear();
    }
}

TEST_F(WindowTest, EscAndEnterHideTheWindowInTheTrayAndNothingClosesIt) {
    Start();
    EXPECT_FALSE(Window().windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(Window().close());
    EXPECT_TRUE(Window().isVisible());
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        Press(key);
        EXPECT_FALSE(Window().isVisible()) << key;
        EXPECT_TRUE(TrayIconShown()) << key;
        Controller().RestoreFromTray();
        QApplication::processEvents();
        ASSERT_TRUE(Window().isVisible());
    }
}

TEST_F(WindowTest, DoubleClickOnTheTrayIconRestoresTheWindow) {
    Start();
    Press(Qt::Key_Escape);
    ASSERT_TRUE(TrayIconShown());
    emit Window().Tray()->Icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(Window().isVisible());
    emit Window().Tray()->Icon().activated(QSystemTrayIcon::DoubleClick);
    QApplication::processEvents();
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(TrayIconShown());
    EXPECT_FALSE(Controller().InTray());
}

TEST_F(WindowTest, SystemMenuOpensTheAboutBoxWithTheVersion) {
    Start();
    QAction* about = Window().SystemMenu().findChild<QAction*>("cmd16");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&О программе...");
    EXPECT_FALSE(Window().SystemMenu().findChild<QAction*>("systemClose")->isEnabled());
    QString version;
    QString caption;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            if (auto* line = box->findChild<QLabel*>("ctl1007")) {
                version = line->text();
            }
            box->accept();
        }
    });
    about->trigger();
    EXPECT_EQ(caption, "Velmora - ZEP импорт");
    EXPECT_EQ(version, "Версия 1.10.0");
}

TEST_F(WindowTest, StartWithRunMinimizedGoesStraightToTheTray) {
    Start("[General]\nm_runMinimized=1\n");
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Window().windowHandle(), nullptr);  // never shown, not even for a moment
    EXPECT_TRUE(TrayIconShown());
}

TEST_F(WindowTest, WorkerStartRestoresTheWindowAndItReturnsToTheTrayAfterwards) {
    StartWithPort("m_expandActive=1\n");
    Press(Qt::Key_Escape);
    ASSERT_FALSE(Window().isVisible());
    serial.AddInput("ZEP>");
    Tick();
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(TrayIconShown());
    EXPECT_FALSE(Control(ctl::kPortSelector)->isEnabled());
    subsystems.FinishWorker();
    Tick();
    EXPECT_FALSE(Window().isVisible());
    EXPECT_TRUE(TrayIconShown());
    EXPECT_TRUE(Control(ctl::kPortSelector)->isEnabled());
}

TEST_F(WindowTest, WithoutANotificationAreaMinimisingKeepsTheWindowOnTheTaskBar) {
    Start("", /*trayAvailable=*/false);
    Press(Qt::Key_Escape);
    EXPECT_TRUE(Controller().InTray());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_TRUE(Window().isMinimized());
    EXPECT_FALSE(TrayIconShown());
    Window().showNormal();  // the task bar's restore
    QApplication::processEvents();
    EXPECT_FALSE(Controller().InTray());
}

TEST_F(WindowTest, WorkerReportsReachThePanesInOrderWithoutAPollTick) {
    Start();
    constexpr int kLines = 300;
    std::thread worker([this] {
        for (int i = 0; i < kLines; ++i) {
            std::string text = "line " + std::to_string(i);
            Controller().Messages().AddLogLines(i % 3 == 0 ? std::optional(text) : std::nullopt,
                                                text);
            text.assign("overwritten");  // the window holds its own copy
        }
    });
    worker.join();
    Controller().Messages().SetBar2(40, std::string("20261207091402.bia"));
    Controller().Messages().SetBar2(45, std::nullopt);  // the caption stays
    ASSERT_TRUE(WaitUntil([&] { return PaneLines(ctl::kUpperPane).size() >= kLines; }));
    QApplication::processEvents();
    const ProgressBarModel& bar2 = Control<ProgressBarWidget>(ctl::kBar2)->Model();
    EXPECT_EQ(bar2.Position(), 45);
    EXPECT_EQ(bar2.Caption(), "20261207091402.bia");
    const auto upper = PaneLines(ctl::kUpperPane);
    const auto lower = PaneLines(ctl::kLowerPane);
    for (int i = 0; i < kLines; ++i) {
        ASSERT_EQ(upper[upper.size() - kLines + i], "line " + std::to_string(i));
    }
    ASSERT_EQ(lower.size(), static_cast<std::size_t>(kLines / 3));
    EXPECT_EQ(lower.back(), "line " + std::to_string(kLines - 3));
}

TEST_F(WindowTest, NewCardShowsThePreviewFirstAndItsCancelStopsTheImport) {
    Start("[General]\nm_removable=1\nm_preview=1\n");
    const auto card = dir / "card" / "Pexilor" / "Tessal";
    std::filesystem::create_directories(card);
    for (const bool accept : {false, true}) {
        drives.newFolders.push_back(card.string());
        QString shown;
        QTimer::singleShot(0, [&] {
            if (auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = preview->objectName();
                accept ? preview->accept() : preview->reject();
            }
        });
        Tick();
        EXPECT_EQ(shown, "dlg133");
        EXPECT_EQ(Contains(events, "StartCardImport"), accept);
    }
}

TEST_F(WindowTest, F1OpensTheHelpFile) {
    dispatch[{"Velmora", "Path"}] = "/opt/velmora/main.exe";
    Start();
    Press(Qt::Key_F1);
    ASSERT_EQ(helpOpened.size(), 1u);
    EXPECT_EQ(helpOpened[0].filename(), "main.chm");
}

}  // namespace
}  // namespace zep::test
