#pragma once
// The native main dialog over a controller wired to fakes, and the means to drive it as a user
// or a worker would: messages pumped through the dialog's own keyboard handling, and actions
// carried out inside the modal loops of the preview and the about box.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/main_controller.h"
#include "tests/app/controller_fakes.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/temp_dir.h"
#include "window/win32/main_dialog.h"

namespace zep::test {

// Handles every waiting message the way the dialog's loop does.
void PumpMessages(win32::MainDialog* dialog = nullptr);
// Pumps until the condition holds or the time is up; the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 3000,
               win32::MainDialog* dialog = nullptr);

// Runs `action` from inside whatever modal loop is running once `ready` holds (polled every
// 50 ms by a thread timer), at most once.
class ModalAction {
public:
    ModalAction(std::function<bool()> ready, std::function<void()> action);
    ~ModalAction();
    ModalAction(const ModalAction&) = delete;
    ModalAction& operator=(const ModalAction&) = delete;
    bool Done() const;
};

// The top-level dialog window whose caption is `caption`, or nullptr.
HWND FindDialog(const std::wstring& caption);
std::wstring WindowText(HWND window);

class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    std::filesystem::path Ini() const { return dir / "zepimport.ini"; }

    // Creates the dialog over the controller, with the settings file's text if any.
    void Start(const std::string& iniText = "", int showCommand = SW_SHOWNORMAL);
    HWND Window() const { return dialog ? dialog->Window() : nullptr; }
    HWND Control(int id) const { return GetDlgItem(Window(), id); }
    LRESULT Command(int id, int code = BN_CLICKED);
    void Pump() { PumpMessages(dialog.get()); }
    bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
        return test::PumpUntil(condition, timeoutMs, dialog.get());
    }

    TempDir dir;
    Events events;
    WorkerLock lock;
    FakeSubsystems subsystems{events, lock};
    FakeDrives drives{events};
    FakeSerialPort serial;
    FakeClock clock;
    FakeAutostart autostart;
    std::vector<std::string> previews;
    // The preview's runner; by default the real preview dialog over the layout file in `dir`.
    win32::PreviewRunner preview;
    std::unique_ptr<MainController> controller;
    std::unique_ptr<win32::MainDialog> dialog;  // destroyed first: its closing uses the controller
};

}  // namespace zep::test
