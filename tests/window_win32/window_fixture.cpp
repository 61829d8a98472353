// The window tests' fixture and their message pumping.
#include "tests/window_win32/window_fixture.h"

#include <vector>

#include "ui/preview_template.h"
#include "window/win32/preview_dialog.h"

namespace zep::test {

namespace {

constexpr UINT kModalPollMs = 50;

struct PendingAction {
    std::function<bool()> ready;
    std::function<void()> action;
    bool done = false;
};

// The modal actions of the running test; the timer procedure has no other way to them.
PendingAction* g_pending = nullptr;
UINT_PTR g_timer = 0;

void CALLBACK OnModalTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_pending || g_pending->done || !g_pending->ready()) {
        return;
    }
    g_pending->done = true;
    g_pending->action();
}

}  // namespace

void PumpMessages(win32::MainDialog* dialog) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog && dialog->PreTranslate(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs, win32::MainDialog* dialog) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        PumpMessages(dialog);
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

ModalAction::ModalAction(std::function<bool()> ready, std::function<void()> action) {
    static PendingAction pending;
    pending = {std::move(ready), std::move(action), false};
    g_pending = &pending;
    g_timer = SetTimer(nullptr, 0, kModalPollMs, &OnModalTimer);
}

ModalAction::~ModalAction() {
    KillTimer(nullptr, g_timer);
    g_pending = nullptr;
}

bool ModalAction::Done() const {
    return g_pending && g_pending->done;
}

HWND FindDialog(const std::wstring& caption) {
    return FindWindowW(L"#32770", caption.c_str());
}

std::wstring WindowText(HWND window) {
    std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1);
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

WindowTest::WindowTest() {
    serial.RequireOpen(true);
    const auto layoutFile = dir / std::string(kListLayoutFileName);
    preview = [this, layoutFile](const std::string& folder, const ImportHistory* history) {
        previews.push_back(folder);
        return win32::PreviewDialog(GetModuleHandleW(nullptr), folder, layoutFile, history).Run();
    };
}

WindowTest::~WindowTest() {
    if (lock.IsHeld()) {
        lock.Release();
    }
    if (controller) {
        controller->ConvertBusy() = 0;
    }
    dialog.reset();
    PumpMessages();
}

void WindowTest::Start(const std::string& iniText, int showCommand) {
    if (!iniText.empty()) {
        WriteFileText(Ini(), iniText);
    }
    dialog = std::make_unique<win32::MainDialog>(
        GetModuleHandleW(nullptr), showCommand,
        [this](const std::string& folder, const ImportHistory* history) {
            return preview(folder, history);
        });
    controller = std::make_unique<MainController>(
        *dialog, ControllerSetup{subsystems, drives, serial, lock, clock, dir.path(), Ini(),
                                 dir / "zepimport.exe", autostart, DispatchValues{},
                                 [](const std::filesystem::path&) {}});
    ASSERT_TRUE(dialog->Create(*controller, clock));
    Pump();
}

LRESULT WindowTest::Command(int id, int code) {
    return SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(id, code),
                        reinterpret_cast<LPARAM>(Control(id)));
}

}  // namespace zep::test
