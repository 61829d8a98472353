#pragma once
// The desktop front end on the offscreen platform: the real window and controller over the
// fake subsystems, drive table and serial port of the controller tests, each test in a fresh
// folder. Controls are found by their object names, as desktop automation finds them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "tests/app/controller_fakes.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/temp_dir.h"
#include "ui/dialog_templates.h"
#include "window/qt/control_names.h"
#include "window/qt/log_pane_widget.h"
#include "window/qt/window_session.h"

namespace zep::test {

class WindowTest : public ::testing::Test {
protected:
    WindowTest() { serial.RequireOpen(true); }

    std::filesystem::path Ini() const { return dir / "zepimport.ini"; }
    std::filesystem::path Program() const { return dir / "zepimport"; }

    void Start(const std::string& iniText = "", bool trayAvailable = true) {
        if (!iniText.empty()) {
            WriteFileText(Ini(), iniText);
        }
        session = std::make_unique<WindowSession>(
            ControllerSetup{
                subsystems, drives, serial, lock, clock, dir.path(), Ini(), Program(), autostart,
                DispatchValues([this](std::string_view section, std::string_view key) {
                    const auto value = dispatch.find({std::string(section), std::string(key)});
                    return value == dispatch.end() ? std::nullopt : std::optional(value->second);
                }),
                [this](const std::filesystem::path& file) { helpOpened.push_back(file); }},
            trayAvailable);
        session->Start();
        QApplication::processEvents();
    }

    // COM3 configured and open, COM1 and COM5 listed too.
    void StartWithPort(const std::string& moreSettings = "", bool trayAvailable = true) {
        subsystems.portNumbers = std::vector<int>{5, 3, 1};
        Start("[General]\n" + moreSettings + "[COM Port]\nm_port=3\n", trayAvailable);
    }

    MainWindow& Window() { return session->Window(); }
    MainController& Controller() { return session->Controller(); }

    template <class Widget = QWidget>
    Widget* Control(int id) {
        return Named<Widget>(ControlObjectName(id));
    }

    template <class Widget = QWidget>
    Widget* Named(const QString& name) {
        auto* widget = Window().findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    void Click(int id) { QTest::mouseClick(Control(id), Qt::LeftButton); }

    // One second on, and the timer's tick with the messages it caused.
    void Tick() {
        clock.Advance(1000);
        session->Pump().OnTimer();
        QApplication::processEvents();
    }

    bool TrayIconShown() { return Window().Tray() != nullptr; }

    // Keys reach the window's shortcuts only while it is the active window.
    void Press(Qt::Key key) {
        Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
        QTest::keyClick(&Window(), key);
        QApplication::processEvents();
    }

    // Waits for what another thread brings about, at most a few seconds.
    template <class Condition>
    bool WaitUntil(Condition condition) {
        QDeadlineTimer deadline(5000);
        while (!condition() && !deadline.hasExpired()) {
            QTest::qWait(5);
        }
        return condition();
    }

    std::vector<std::string> PaneLines(int id) {
        std::vector<std::string> lines;
        if (auto* pane = Control<LogPaneWidget>(id)) {
            for (int i = 0; i < pane->Model().LineCount(); ++i) {
                lines.push_back(pane->Model().Line(i));
            }
        }
        return lines;
    }

    void TearDown() override {
        session.reset();
        if (lock.IsHeld()) {
            lock.Release();
        }
    }

    TempDir dir;
    Events events;
    WorkerLock lock;
    FakeSubsystems subsystems{events, lock};
    FakeDrives drives{events};
    FakeSerialPort serial;
    FakeClock clock;
    FakeAutostart autostart;
    std::map<std::pair<std::string, std::string>, std::string> dispatch;  // (section, key)
    std::vector<std::filesystem::path> helpOpened;
    std::unique_ptr<WindowSession> session;
};

}  // namespace zep::test
